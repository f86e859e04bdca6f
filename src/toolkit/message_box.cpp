#include "toolkit/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace varkel {
namespace {

// The innermost responder installed by a test; null when boxes are shown for real.
ScopedMessageResponder* g_responder = nullptr;

struct ButtonSpec {
    MsgResult result;
    QString caption;
    QMessageBox::ButtonRole role;
};

std::vector<ButtonSpec> buttonsOf(MsgButtons buttons) {
    const ButtonSpec ok{MsgResult::Ok, QStringLiteral("OK"), QMessageBox::AcceptRole};
    const ButtonSpec cancel{MsgResult::Cancel, QStringLiteral("キャンセル"),
                            QMessageBox::RejectRole};
    const ButtonSpec yes{MsgResult::Yes, QStringLiteral("はい(&Y)"), QMessageBox::YesRole};
    const ButtonSpec no{MsgResult::No, QStringLiteral("いいえ(&N)"), QMessageBox::NoRole};
    const ButtonSpec retry{MsgResult::Retry, QStringLiteral("再試行(&R)"), QMessageBox::AcceptRole};
    switch (buttons) {
        case MsgButtons::Ok:
            return {ok};
        case MsgButtons::OkCancel:
            return {ok, cancel};
        case MsgButtons::YesNo:
            return {yes, no};
        case MsgButtons::YesNoCancel:
            return {yes, no, cancel};
        case MsgButtons::RetryCancel:
            return {retry, cancel};
    }
    return {ok};
}

QMessageBox::Icon iconOf(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None:
            return QMessageBox::NoIcon;
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// Cancel where there is one, else No, else the only button (OK).
size_t SafeButtonIndex(const std::vector<ButtonSpec>& specs) {
    for (const MsgResult safe : {MsgResult::Cancel, MsgResult::No})
        for (size_t i = 0; i < specs.size(); ++i)
            if (specs[i].result == safe) return i;
    return 0;
}

}  // namespace

ScopedMessageResponder::ScopedMessageResponder(Responder responder)
    : responder_(std::move(responder)), outer_(g_responder) {
    g_responder = this;
}

ScopedMessageResponder::~ScopedMessageResponder() {
    g_responder = outer_;
}

MsgResult ShowMessageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& title, int defaultButton) {
    const std::vector<ButtonSpec> specs = buttonsOf(buttons);
    if (defaultButton < 0 || defaultButton >= static_cast<int>(specs.size())) defaultButton = 0;
    if (g_responder) return g_responder->responder_({text, buttons, icon, title, defaultButton});

    QMessageBox box(iconOf(icon), title, text, QMessageBox::NoButton, QApplication::activeWindow());
    std::vector<QPushButton*> pushButtons;
    for (const ButtonSpec& button : specs)
        pushButtons.push_back(box.addButton(button.caption, button.role));
    box.setDefaultButton(pushButtons[static_cast<size_t>(defaultButton)]);
    // Backing out (Esc, the frame's close) never means yes: it answers the safe button.
    const size_t safe = SafeButtonIndex(specs);
    box.setEscapeButton(pushButtons[safe]);
    box.exec();
    for (size_t i = 0; i < specs.size(); ++i)
        if (box.clickedButton() == pushButtons[i]) return specs[i].result;
    return specs[safe].result;
}

}  // namespace varkel

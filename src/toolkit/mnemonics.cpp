#include "toolkit/mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QShortcut>

namespace varkel {

namespace {

// The half-width upper-case letter for a Latin letter of either width; null for anything else.
QChar LatinLetter(QChar c) {
    if (c.decompositionTag() == QChar::Wide) {
        const QString narrow = c.decomposition();
        if (narrow.size() == 1) c = narrow[0];
    }
    const char16_t u = c.toUpper().unicode();
    return u >= u'A' && u <= u'Z' ? QChar(u) : QChar();
}

}  // namespace

QChar MnemonicLetter(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&') continue;
        if (caption[i + 1] == u'&') {
            ++i;  // a literal "&"
            continue;
        }
        return LatinLetter(caption[i + 1]);
    }
    return {};
}

void AssignMenuMnemonics(QWidget* window) {
    for (QMenu* menu : window->findChildren<QMenu*>()) {
        const QList<QAction*> items = menu->actions();
        QSet<QChar> taken;
        for (const QAction* item : items)
            taken.insert(MnemonicLetter(item->text()));
        for (QAction* item : items) {
            QString caption = item->text();
            if (item->isSeparator() || caption.contains(u'&')) continue;
            for (qsizetype i = 0; i < caption.size(); ++i) {
                // A menu matches its items' letters by the character typed: half-width only.
                const QChar letter = caption[i].toUpper();
                if (letter < u'A' || letter > u'Z' || taken.contains(letter)) continue;
                taken.insert(letter);
                item->setText(caption.insert(i, u'&'));
                break;
            }
        }
    }
}

void AssignMnemonics(QWidget* window) {
    const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    QSet<QChar> taken;
    for (const QAbstractButton* button : buttons)
        taken.insert(MnemonicLetter(button->text()));
    for (const QLabel* label : window->findChildren<QLabel*>())
        if (label->buddy()) taken.insert(MnemonicLetter(label->text()));
    for (QAbstractButton* button : buttons) {
        QString caption = button->text();
        if (caption.contains(u'&') || button->objectName().startsWith(u"qt_")) continue;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar letter = LatinLetter(caption[i]);
            if (letter.isNull() || taken.contains(letter)) continue;
            taken.insert(letter);
            const bool wide = caption[i] != letter && caption[i].toUpper() != letter;
            button->setText(caption.insert(i, u'&'));
            if (wide) {
                // The toolkit would bind Alt to the full-width character, which no key types.
                auto* key =
                    new QShortcut(QKeySequence(Qt::ALT | Qt::Key(letter.unicode())), button);
                QObject::connect(key, &QShortcut::activated, button, [button] {
                    if (button->focusPolicy() != Qt::NoFocus)
                        button->setFocus(Qt::ShortcutFocusReason);
                    button->animateClick();
                });
            }
            break;
        }
    }
}

}  // namespace varkel

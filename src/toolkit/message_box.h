#pragma once

#include <QString>
#include <functional>

namespace varkel {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { Ok, Cancel, Yes, No, Retry };

// Everything a box shows; the default button is counted from 0 in the order of MsgButtons' names.
struct MessageBoxRequest {
    QString text;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    QString title;
    int defaultButton = 0;
};

// The one way the program asks the user something in a box: shows it modally and returns the
// button pressed. Esc and the frame's close answer the safe button: Cancel where there is one,
// else No, else OK; never the default button.
MsgResult ShowMessageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& title, int defaultButton = 0);

// While one of these lives, boxes are not shown: each is handed to the responder, which answers
// it. Tests use it to record every box. Responders nest; the innermost answers.
class ScopedMessageResponder {
  public:
    using Responder = std::function<MsgResult(const MessageBoxRequest&)>;
    explicit ScopedMessageResponder(Responder responder);
    ~ScopedMessageResponder();
    ScopedMessageResponder(const ScopedMessageResponder&) = delete;
    ScopedMessageResponder& operator=(const ScopedMessageResponder&) = delete;

  private:
    Responder responder_;
    ScopedMessageResponder* outer_;
    friend MsgResult ShowMessageBox(const QString&, MsgButtons, MsgIcon, const QString&, int);
};

}  // namespace varkel

#pragma once

#include <QList>
#include <deque>

#include "toolkit/message_box.h"

namespace varkel::test {

// Records every message box instead of showing it, and answers with the queued answers in turn
// (the box's default button once the queue is empty).
class MessageRecorder {
  public:
    MessageRecorder();
    void answer(MsgResult result) { answers_.push_back(result); }
    const QList<MessageBoxRequest>& boxes() const { return boxes_; }
    QStringList texts() const;
    // How many boxes came while the pointer was busy (a box must find it normal).
    int boxesUnderBusyPointer() const { return underBusyPointer_; }

  private:
    QList<MessageBoxRequest> boxes_;
    int underBusyPointer_ = 0;
    std::deque<MsgResult> answers_;
    ScopedMessageResponder responder_;
};

}  // namespace varkel::test

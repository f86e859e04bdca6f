#include "support/message_recorder.h"

#include <QCursor>
#include <QGuiApplication>
#include <QStringList>

namespace varkel::test {

namespace {

MsgResult DefaultAnswer(const MessageBoxRequest& box) {
    static const QList<QList<MsgResult>> order = {
        {MsgResult::Ok},
        {MsgResult::Ok, MsgResult::Cancel},
        {MsgResult::Yes, MsgResult::No},
        {MsgResult::Yes, MsgResult::No, MsgResult::Cancel},
        {MsgResult::Retry, MsgResult::Cancel}};
    return order[static_cast<int>(box.buttons)].value(box.defaultButton, MsgResult::Ok);
}

}  // namespace

MessageRecorder::MessageRecorder()
    : responder_([this](const MessageBoxRequest& box) {
          boxes_.append(box);
          const QCursor* pointer = QGuiApplication::overrideCursor();
          if (pointer && pointer->shape() == Qt::WaitCursor) ++underBusyPointer_;
          if (answers_.empty()) return DefaultAnswer(box);
          const MsgResult result = answers_.front();
          answers_.pop_front();
          return result;
      }) {}

QStringList MessageRecorder::texts() const {
    QStringList all;
    for (const MessageBoxRequest& box : boxes_)
        all << box.text;
    return all;
}

}  // namespace varkel::test

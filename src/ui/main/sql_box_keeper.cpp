#include "ui/main/sql_box_keeper.h"

#include <QDir>

#include "store/sql_box_file.h"
#include "ui/main/sql_box.h"
#include "ui/toolkit/message_box.h"

namespace varkel {

SqlBoxKeeper::SqlBoxKeeper(SqlBox* box, QString path, QString title, QObject* parent)
    : QObject(parent), box_(box), path_(std::move(path)), title_(std::move(title)) {
    timer_.setSingleShot(true);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &SqlBoxKeeper::Flush);
    connect(box_->document(), &QTextDocument::contentsChanged, this, &SqlBoxKeeper::changed);
}

void SqlBoxKeeper::changed() {
    // A history statement shown while stepping is not the user's text; stepping back brings the
    // user's own again, which counts as a change.
    if (box_->HistPos() != 0) return;
    ++changes_;
    // Not restarted by later keys: steady typing is written once a second, not only after a pause.
    if (!timer_.isActive()) timer_.start();
}

void SqlBoxKeeper::Restore() {
    const QString text = ReadSqlBoxFile(path_);
    if (text.isEmpty()) return;
    box_->ReplaceText(text);
    kept_ = changes_;  // the file holds it already
    timer_.stop();
}

bool SqlBoxKeeper::Flush() {
    timer_.stop();
    if (changes_ == kept_) return true;
    const quint64 writing = changes_;
    const QString text = box_->HistPos() != 0 ? box_->SavedSql() : box_->toPlainText();
    QString error;
    if (WriteSqlBoxFile(path_, text, &error)) {
        kept_ = writing;
        failureTold_ = false;
        return true;
    }
    if (!failureTold_) {
        failureTold_ = true;  // before the box, whose wait lets the timer run again
        ShowMessageBox(QStringLiteral("SQL入力エリアの内容をファイルに保存できませんでした。"
                                      "入力エリアの内容はそのままです。\r\n%1\r\n%2")
                           .arg(QDir::toNativeSeparators(path_), error),
                       MsgButtons::Ok, MsgIcon::Exclamation, title_);
    }
    return false;
}

}  // namespace varkel

#include "ui/main/sql_box_keeper.h"

#include <QDir>
#include <QTextDocument>
#include <algorithm>

#include "store/sql_box_file.h"
#include "ui/main/sql_box.h"
#include "ui/toolkit/message_box.h"

namespace varkel {

namespace {

QString LineEnds(QString text) {
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

}  // namespace

SqlBoxKeeper::SqlBoxKeeper(SqlBox* box, QString path, QString title, QObject* parent)
    : QObject(parent), box_(box), path_(std::move(path)), title_(std::move(title)) {
    timer_.setSingleShot(true);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &SqlBoxKeeper::startWrite);
    connect(box_->document(), &QTextDocument::contentsChanged, this, &SqlBoxKeeper::changed);
}

SqlBoxKeeper::~SqlBoxKeeper() {
    if (writer_) writer_->wait();
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

QString SqlBoxKeeper::keptText() const {
    // The document's own characters, line ends still its separators: the quickest copy of a
    // huge text on the window's thread; LineEnds, off it, makes them "\n".
    return box_->HistPos() != 0 ? box_->SavedSql() : box_->document()->toRawText();
}

void SqlBoxKeeper::startWrite() {
    if (writer_ || changes_ == kept_) return;  // a write under way starts the wait again at its end
    writing_ = changes_;
    outcome_ = std::make_shared<Outcome>();
    // The thread has its own copy of the text and of the outcome it fills in.
    writer_.reset(QThread::create([path = path_, text = keptText(), outcome = outcome_] {
        outcome->ok = WriteSqlBoxFile(path, LineEnds(text), &outcome->error);
    }));
    connect(writer_.get(), &QThread::finished, this, [this, outcome = outcome_] {
        if (outcome != outcome_) return;  // Flush has taken it already
        finishWrite();
        if (changes_ != kept_ && !timer_.isActive()) timer_.start();
        emit writeEnded();
    });
    writer_->start();
}

void SqlBoxKeeper::finishWrite() {
    writer_->wait();
    writer_.reset();
    const std::shared_ptr<Outcome> outcome = std::move(outcome_);
    record(writing_, *outcome);
}

bool SqlBoxKeeper::Flush() {
    timer_.stop();
    if (writer_) finishWrite();
    if (changes_ == kept_) return true;
    const quint64 writing = changes_;
    Outcome outcome;
    outcome.ok = WriteSqlBoxFile(path_, LineEnds(keptText()), &outcome.error);
    return record(writing, outcome);
}

bool SqlBoxKeeper::record(quint64 writing, const Outcome& outcome) {
    if (outcome.ok) {
        kept_ = std::max(kept_, writing);
        failureTold_ = false;
        return true;
    }
    if (!failureTold_) {
        failureTold_ = true;  // before the box, whose wait lets the timer run again
        ShowMessageBox(QStringLiteral("SQL入力エリアの内容をファイルに保存できませんでした。"
                                      "入力エリアの内容はそのままです。\r\n%1\r\n%2")
                           .arg(QDir::toNativeSeparators(path_), outcome.error),
                       MsgButtons::Ok, MsgIcon::Exclamation, title_);
    }
    return false;
}

}  // namespace varkel

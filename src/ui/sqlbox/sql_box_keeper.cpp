#include "ui/sqlbox/sql_box_keeper.h"

#include <QDir>
#include <QFileInfo>
#include <QTextDocument>
#include <algorithm>

#include "store/sql_box_file.h"
#include "toolkit/message_box.h"
#include "ui/sqlbox/sql_box.h"

namespace varkel {

SqlBoxKeeper::SqlBoxKeeper(SqlBox* box, QString path, QString title, QObject* parent)
    : QObject(parent), box_(box), path_(std::move(path)), title_(std::move(title)) {
    timer_.setSingleShot(true);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &SqlBoxKeeper::startWrite);
    connect(box_->document(), &QTextDocument::contentsChanged, this, &SqlBoxKeeper::changed);
    connect(&writer_, &SqlBoxWriter::finished, this, [this] {
        record(writing_, writer_.wait());
        if (changes_ != kept_ && !timer_.isActive()) timer_.start();
        emit writeEnded();
    });
}

SqlBoxKeeper::~SqlBoxKeeper() = default;

void SqlBoxKeeper::changed() {
    // A history statement shown while stepping is not the user's text; stepping back brings the
    // user's own again, which counts as a change.
    if (box_->HistPos() != 0) return;
    ++changes_;
    // Not restarted by later keys: steady typing is written once a second, not only after a pause.
    if (!timer_.isActive()) timer_.start();
}

void SqlBoxKeeper::Restore() {
    const QFileInfo file(path_);
    if (file.size() > kRestoredBytes) {
        setAside();
        return;
    }
    const QString text = ReadSqlBoxFile(path_);
    if (text.isEmpty()) return;
    box_->ReplaceText(text);
    kept_ = changes_;  // the file holds it already
    timer_.stop();
}

void SqlBoxKeeper::setAside() {
    const QFileInfo file(path_);
    QString aside;
    for (int n = 1; aside.isEmpty() || QFileInfo::exists(aside); ++n)
        aside = file.dir().filePath(file.completeBaseName() + u'-' + QString::number(n) + u'.' +
                                    file.suffix());
    if (!QFile::rename(path_, aside)) aside = path_;  // then the box's first write replaces it
    ShowMessageBox(QStringLiteral("前回のSQL入力エリアの内容は大きいため（%1バイト）、"
                                  "入力エリアには戻していません。\r\n%2\r\n"
                                  "にあります。SQLファイルとして開けます（Ctrl+O）。")
                       .arg(file.size())
                       .arg(QDir::toNativeSeparators(aside)),
                   MsgButtons::Ok, MsgIcon::Information, title_);
}

QString SqlBoxKeeper::keptText() const {
    // The document's own characters, line ends still its separators: the quickest copy of a
    // huge text on the window's thread; the writer makes them "\n" off it.
    return box_->HistPos() != 0 ? box_->SavedSql() : box_->document()->toRawText();
}

void SqlBoxKeeper::startWrite() {
    // A write under way starts the wait again at its end.
    if (writer_.busy() || changes_ == kept_) return;
    writing_ = changes_;
    writer_.start(path_, keptText());
}

bool SqlBoxKeeper::Flush() {
    timer_.stop();
    if (writer_.busy()) record(writing_, writer_.wait());
    if (changes_ == kept_) return true;
    const quint64 writing = changes_;
    writer_.start(path_, keptText());
    return record(writing, writer_.wait());
}

bool SqlBoxKeeper::record(quint64 writing, const SqlBoxWriter::Outcome& outcome) {
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

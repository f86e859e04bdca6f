#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>

#include "exec/command_lock.h"
#include "soak/soak_run.h"
#include "store/code_page.h"
#include "store/sql_history.h"
#include "store/sql_templates.h"
#include "store/text_file.h"
#include "toolkit/desktop.h"
#include "toolkit/keyed_bars.h"
#include "ui/history/show_hist.h"
#include "ui/history/show_temp.h"
#include "ui/main/main_window.h"

// The sanitizers' count of heap bytes in use; absent from a build without them.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace varkel::test {

namespace {

const QString kSuccess = QStringLiteral("SQL実行：正常に終了しました。");

long ResidentKb() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

}  // namespace

void SoakRun::checkAll() {
    checkCommands();
    checkHistory();
    checkTemplates();
    checkStatus();
    checkStatements();
    for (const QString& path : savedFiles_)
        checkWrittenFile(path);
}

// The availability of the commands follows the connection, as the window's table says.
void SoakRun::checkCommands() {
    ++counts_.checks;
    if (window_->commandLock().locked()) fail(QStringLiteral("the command lock is still held"));
    const bool on = IsConnected(*session_);
    const auto* bar = window_->findChild<KeyedToolBar*>(QStringLiteral("Toolbar1"));
    struct Expected {
        const char* name;
        bool enabled;
    };
    const Expected menus[] = {{"mn_connect", !on},   {"mn_disconnect", on},
                              {"mn_sql_go", on},     {"mn_sql_stop", false},
                              {"mn_sql_commit", on}, {"mn_sql_rollback", on},
                              {"mn_out_select", on}, {"mn_inp_csv", on}};
    for (const Expected& e : menus)
        if (action(e.name)->isEnabled() != e.enabled)
            fail(QStringLiteral("%1 is %2 while %3")
                     .arg(QString::fromLatin1(e.name),
                          e.enabled ? QStringLiteral("disabled") : QStringLiteral("enabled"),
                          on ? QStringLiteral("connected") : QStringLiteral("not connected")));
    const Expected buttons[] = {{"connect", !on}, {"discon", on}, {"go", on},     {"ok", on},
                                {"ng", on},       {"inst", on},   {"stop", false}};
    for (const Expected& e : buttons)
        if (bar->buttonEnabled(QString::fromLatin1(e.name)) != e.enabled)
            fail(QStringLiteral("toolbar button %1 is %2 while %3")
                     .arg(QString::fromLatin1(e.name),
                          e.enabled ? QStringLiteral("disabled") : QStringLiteral("enabled"),
                          on ? QStringLiteral("connected") : QStringLiteral("not connected")));
    if (on && action("mn_reconnect")->isEnabled())
        fail(QStringLiteral("reconnect is enabled while connected"));
    if (!window_->findChild<QTreeWidget*>(QStringLiteral("TreeView1"))->isEnabled())
        fail(QStringLiteral("the tree stays disabled after the command ended"));
}

// No statement handle is left beyond the one cursor and the statement last executed (kept until
// the next execute), and none at all without a connection.
void SoakRun::checkStatements() {
    ++counts_.checks;
    const DbSession& s = *session_;
    const int held = s.OdbcConnected ? (s.CursorOpen == 1) + (s.ExecStmt ? 1 : 0) : 0;
    if (s.LiveStatements != held)
        fail(QStringLiteral("%1 statement handles are live, the session holds %2 (cursor %3)")
                 .arg(s.LiveStatements)
                 .arg(held)
                 .arg(s.CursorOpen));
}

// Every record the history holds is in its file, the newest last, and the file reads back.
void SoakRun::checkHistory() {
    ++counts_.checks;
    SqlHistory& store = window_->historyWindow()->store();
    for (int i = 0; i < 1000 && store.pending() > 0; ++i)
        store.AppendNext();  // what the append timer would do in the next seconds
    if (store.pending() > 0) fail(QStringLiteral("the history file takes no records"));
    const QString text = ReadFileText(store.file(), CodePage(CodePage::systemName()));
    const RecordFile file = ParseRecordFile(text);
    if (file.unreadTail) fail(QStringLiteral("SQLHIST.TXT has an empty record before its end"));
    if (!file.missing.isEmpty() && !file.records.isEmpty())
        fail(QStringLiteral("SQLHIST.TXT's last record is not closed"));
    QList<ClassSQL> onFile;
    for (const QString& r : file.records) {
        if (!r.contains(u'\t'))
            fail(QStringLiteral("SQLHIST.TXT holds a record without a head: ") + r.left(80));
        onFile << ParseHistoryRecord(r, file.lineEnd);
    }
    const QList<ClassSQL>& held = store.records();
    if (onFile.size() < held.size())
        fail(QStringLiteral("SQLHIST.TXT holds %1 records, the history %2")
                 .arg(onFile.size())
                 .arg(held.size()));
    for (qsizetype i = 0; i < held.size(); ++i) {
        const ClassSQL& f = onFile[onFile.size() - held.size() + i];
        if (!(f == held[i]))
            fail(QStringLiteral("history record %1 is \"%2\" in memory but \"%3\" in the file")
                     .arg(i)
                     .arg(held[i].SQLhead + u'|' + held[i].SQLstmt.left(60),
                          f.SQLhead + u'|' + f.SQLstmt.left(60)));
    }
}

// The template file reads back; unless the window has changes not yet saved, it holds them.
void SoakRun::checkTemplates() {
    ++counts_.checks;
    ShowTemp* t = window_->templateWindow();
    const QString path = config_.path(QStringLiteral("SQLTMPL.TXT"));
    const QList<ClassSQL> onFile = ReadTemplateFile(path);
    if (!t->Changed() && QFileInfo::exists(path) && onFile != t->templates())
        fail(QStringLiteral("SQLTMPL.TXT holds %1 templates, the window %2 and no change")
                 .arg(onFile.size())
                 .arg(t->templates().size()));
}

// A statement that failed is never reported as a success.
void SoakRun::checkStatus() {
    if (!singleStatement_) return;
    ++counts_.checks;
    const QString msg = window_->findChild<KeyedStatusBar*>(QStringLiteral("StatusBar1"))
                            ->panelText(QStringLiteral("msg"));
    // The outcome boxes of the statement, in order; the last one tells how it ended.
    QString last;
    for (const MessageBoxRequest& b : boxes_) {
        if (b.title.endsWith(QStringLiteral("ＳＱＬ実行エラー"))) last = QStringLiteral("error");
        if (b.title.endsWith(QStringLiteral("ＳＱＬ正常終了"))) last = QStringLiteral("success");
    }
    if (last == QStringLiteral("error") && msg.startsWith(kSuccess))
        fail(QStringLiteral("the status bar says success after an error box: ") + msg);
    if (last == QStringLiteral("success") && !msg.startsWith(kSuccess) && IsConnected(*session_))
        fail(QStringLiteral("the status bar says \"%1\" after a success box").arg(msg));
    if (expected_ == Expect::Fails && last == QStringLiteral("success"))
        fail(QStringLiteral("a statement that cannot succeed was reported as a success"));
}

// A file the program says it wrote is whole: every line ended, as many lines as it reported;
// a file it did not finish is not there.
void SoakRun::checkWrittenFile(const QString& path) {
    ++counts_.checks;
    bool done = false, stopped = false;
    for (const MessageBoxRequest& b : boxes_)
        if (b.text.contains(QStringLiteral("に出力しました。")) &&
            b.text.startsWith(QDir::toNativeSeparators(path))) {
            done = true;
            stopped = b.text.contains(QStringLiteral("（中断）"));
        }
    QFile f(path);
    if (!f.exists()) {
        if (done) fail(QStringLiteral("reported as written but missing: ") + path);
        return;
    }
    if (!f.open(QIODevice::ReadOnly)) fail(QStringLiteral("cannot read ") + path);
    const QByteArray bytes = f.readAll();
    if (path.endsWith(QStringLiteral(".xlsx"))) {
        // A workbook is a zip archive: whole when its central directory's end is there.
        if (!bytes.startsWith("PK") || !bytes.right(22 + 64).contains("PK\x05\x06"))
            fail(QStringLiteral("the workbook is not whole: ") + path);
        return;
    }
    if (!bytes.isEmpty() && !bytes.endsWith("\r\n"))
        fail(QStringLiteral("the file's last line is cut: ") + path);
    // The values hold no line breaks: one line per row exported.
    if (done && !stopped && expectedLines_ >= 0 && bytes.count("\r\n") != expectedLines_)
        fail(QStringLiteral("%1 holds %2 lines, %3 were exported")
                 .arg(path)
                 .arg(bytes.count("\r\n"))
                 .arg(expectedLines_));
}

// Memory stays within 50 MB of where it was after the first 1,000 actions. Under the
// sanitizers the measure is the heap in use by their own count: the resident size there also
// holds shadow memory and allocator caches that are never given back, and grows by tens of
// megabytes over hours with the heap flat.
void SoakRun::checkMemory() {
    ++counts_.checks;
    const long resident = ResidentKb();
    const bool sanitized = __sanitizer_get_current_allocated_bytes != nullptr;
    const long heap =
        sanitized ? static_cast<long>(__sanitizer_get_current_allocated_bytes() >> 10) : 0;
    const long now = sanitized ? heap : resident;
    counts_.rssEndKb = resident;
    counts_.heapEndKb = heap;
    std::printf("soak: %ld actions, resident %ld MB, heap in use %ld MB\n", counts_.actions,
                resident / 1024, heap / 1024);
    if (counts_.actions == 1000) {
        memoryAfterFirst1000_ = now;
        counts_.rssStartKb = resident;
        counts_.heapStartKb = heap;
        return;
    }
    if (memoryAfterFirst1000_ > 0 && now - memoryAfterFirst1000_ > 50 * 1024)
        fail(QStringLiteral("%1 grew from %2 MB to %3 MB")
                 .arg(sanitized ? QStringLiteral("the heap in use")
                                : QStringLiteral("resident memory"))
                 .arg(memoryAfterFirst1000_ / 1024)
                 .arg(now / 1024));
}

void SoakRun::checkProgramEnd() {
    ShowTemp* t = window_->templateWindow();
    SqlHistory& store = window_->historyWindow()->store();
    const QString historyFile = store.file();
    QList<ClassSQL> templates, history;
    // A box at the end may keep the window open (Cancel): the user then closes it again.
    for (int i = 0; i < 50 && window_->isVisible(); ++i) {
        templates = t->templates();
        history = store.records();
        note(QStringLiteral("end the program"));
        boxes_.clear();
        trigger("mn_exit");
        QCoreApplication::processEvents();
    }
    if (window_->isVisible()) fail(QStringLiteral("the program does not end"));
    ++counts_.checks;
    const QList<ClassSQL> savedTemplates =
        ReadTemplateFile(config_.path(QStringLiteral("SQLTMPL.TXT")));
    if (savedTemplates != templates)
        fail(QStringLiteral("at the end SQLTMPL.TXT holds %1 templates, the window held %2")
                 .arg(savedTemplates.size())
                 .arg(templates.size()));
    ++counts_.checks;
    const RecordFile file =
        ParseRecordFile(ReadFileText(historyFile, CodePage(CodePage::systemName())));
    QList<ClassSQL> onFile;
    for (const QString& r : file.records)
        onFile << ParseHistoryRecord(r, file.lineEnd);
    if (onFile.size() < history.size() || onFile.mid(onFile.size() - history.size()) != history)
        fail(QStringLiteral("at the end SQLHIST.TXT holds %1 records, not the %2 of the history")
                 .arg(onFile.size())
                 .arg(history.size()));
}

}  // namespace varkel::test

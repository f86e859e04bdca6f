#include "soak/soak_run.h"

#include <sched.h>
#include <sys/mount.h>
#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <cstdio>

#include "store/ini_file.h"
#include "store/settings_keys.h"
#include "support/file_faults.h"
#include "support/stepping_clock.h"
#include "support/when_shown.h"
#include "ui/history/show_hist.h"
#include "ui/main/main_window.h"

namespace varkel::test {

namespace {

// The value of `key` in a "KEY=value;" connection string.
QString ConnectValue(const QString& text, const QString& key) {
    for (const QString& part : text.split(u';')) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq > 0 && part.left(eq).compare(key, Qt::CaseInsensitive) == 0) return part.mid(eq + 1);
    }
    return {};
}

}  // namespace

SoakRun::SoakRun(const SoakOptions& options)
    : options_(options),
      rng_(options.seed),
      boxResponder_([this](const MessageBoxRequest& box) { return answerBox(box); }),
      fileResponder_([this](const FileDialogRequest& r) { return answerFileDialog(r); }),
      processResponder_([this](const ProcessRequest& r) { return answerProcess(r); }) {}

SoakRun::~SoakRun() {
    stopPgbench();
    if (window_) window_->close();
    window_.reset();
    if (!diskMount_.isEmpty()) umount2(QFile::encodeName(diskMount_).constData(), MNT_DETACH);
}

QString SoakRun::folder(const QString& name) const {
    const QString path = config_.path(name);
    QDir().mkpath(path);
    return path + u'/';
}

bool SoakRun::prepare(QString* why) {
    // The program folder becomes a file system of its own, seen by this process only, so that a
    // full disk there is a real one; where the run may not mount (not root), the full disk is a
    // limit on the size of files.
    const QByteArray home = QFile::encodeName(config_.folder());
    const QByteArray size = "size=" + QByteArray::number(kFolderBytes);
    if (options_.faults && unshare(CLONE_NEWNS) == 0 &&
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        mount("varkel-soak", home.constData(), "tmpfs", 0, size.constData()) == 0)
        diskMount_ = config_.folder();
    std::printf("soak: a full disk is %s\n", diskMount_.isEmpty()
                                                 ? "a limit on the size of files"
                                                 : "the program folder's own tmpfs without room");
    // The editor is the run's own script (answerProcess), named in the settings as a user names
    // one; a history of the most records the settings allow, so it wraps now and then.
    const QString ini = config_.path(QStringLiteral("VARKEL.INI"));
    WriteIniString(ini, settings::Set(), settings::Editor(), QStringLiteral("soak-editor %p"));
    WriteIniString(ini, settings::Set(), settings::MaxHist(), QStringLiteral("20"));
    WriteIniString(ini, settings::ConnHist(), settings::Save(), QStringLiteral("ON"));
    for (Engine engine : options_.engines) {
        Target t{engine, std::make_unique<TestDatabase>(engine, config_), {}, {}, {}, {}};
        if (!t.db->unavailableReason().isEmpty()) {
            *why = QString::fromStdString(EngineName(engine)) + QStringLiteral(": ") +
                   t.db->unavailableReason();
            return false;
        }
        for (const QString& sql : StatementPool::setup(engine))
            if (!t.db->admin().exec(sql)) {
                *why = QStringLiteral("setup failed: ") + sql;
                return false;
            }
        // A data source of its own per engine: every engine's test database is "VarkelTestDb".
        const QString text = t.db->driverConnectString();
        t.dsn = QStringLiteral("Soak") + QString::fromStdString(EngineName(engine));
        QMap<QString, QString> keys;
        for (const char* key : {"Database", "Servername", "Server", "Port"}) {
            const QString value = ConnectValue(text, QString::fromLatin1(key));
            if (!value.isEmpty()) keys.insert(QString::fromLatin1(key), value);
        }
        t.database = ConnectValue(text, QStringLiteral("Database"));
        if (options_.faults) limitLockWaits(t);
        config_.addDataSource(t.dsn, t.db->driverName(), keys);
        targets_.push_back(std::move(t));
    }
    session_ = std::make_unique<DbSession>();
    window_ = std::make_unique<Varkel>(*session_);
    Varkel* w = window_.get();
    WhenShown<ConnectDS>(
        w, [w] { return w->connectDialog(); }, [](ConnectDS& d) { d.Cmd_cancel->click(); });
    window_->Load();  // its connection dialog is cancelled: the run connects as one of its actions
    window_->historyWindow()->store().setClock(SteppingClock());
    window_->show();
    buildActions();
    return true;
}

QAction* SoakRun::action(const char* name) const {
    return window_->findChild<QAction*>(QString::fromLatin1(name));
}

void SoakRun::trigger(const char* name) {
    QAction* a = action(name);
    if (a && a->isEnabled()) a->trigger();  // as a click does: nothing when disabled
}

SoakRun::Target* SoakRun::current() {
    if (!IsConnected(*session_)) return nullptr;
    for (Target& t : targets_)
        if (session_->ConnectString.contains(QStringLiteral("DSN=") + t.dsn + u';')) return &t;
    return nullptr;
}

void SoakRun::note(const QString& text) {
    recent_.push_back(QStringLiteral("#%1 ").arg(counts_.actions) + text);
    if (options_.trace) std::printf("%s\n", recent_.back().toLocal8Bit().constData());
    while (recent_.size() > 100)
        recent_.pop_front();
}

QStringList SoakRun::recentActions() const {
    return QStringList(recent_.begin(), recent_.end());
}

void SoakRun::fail(const QString& what) {
    std::fprintf(stderr, "\nSOAK FAILURE after %ld actions (seed %llu): %s\nLast actions:\n",
                 counts_.actions, static_cast<unsigned long long>(options_.seed),
                 what.toLocal8Bit().constData());
    for (const QString& line : recent_)
        std::fprintf(stderr, "  %s\n", line.toLocal8Bit().constData());
    std::fprintf(stderr, "Replay: scripts/soak.sh --seed %llu --actions %ld\n",
                 static_cast<unsigned long long>(options_.seed), counts_.actions);
    std::fflush(stderr);
    std::_Exit(1);
}

void SoakRun::step() {
    boxes_.clear();
    savedFiles_.clear();
    expectedLines_ = -1;
    singleStatement_ = false;
    expected_ = Expect::Either;
    if (lockRelease_ > 0 && counts_.actions >= lockRelease_) {
        note(QStringLiteral("  the other connection lets its lock go"));
        releaseLocks();
    }
    int roll = Pick(rng_, totalWeight_);
    const bool middle = Pick(rng_, 6) == 0;
    const bool full = options_.faults && Pick(rng_, 40) == 0;
    for (const Action& a : actions_) {
        if (roll < a.weight) {
            note(QString::fromLatin1(a.name));
            ++counts_.kinds[a.name];
            if (middle) armMiddleCommand();
            if (full) {
                // Every file of the program stops growing for this action: a full disk.
                note(QStringLiteral("  fault: the disk is full"));
                ++counts_.faults["full disk during any command"];
                FullDisk limit(diskMount_, 1024);
                a.run();
            } else {
                a.run();
            }
            break;
        }
        roll -= a.weight;
    }
    if (middle_) {  // the action ended before its yield came
        middle_->stop();
        middle_->deleteLater();
        middle_ = nullptr;
    }
    // Anything queued by the action (deferred deletes, zero timers) runs before the checks.
    QCoreApplication::processEvents();
    ++counts_.actions;
    checkAll();
}

int SoakRun::run() {
    QElapsedTimer clock;  // only for when to stop, never for a choice
    clock.start();
    const qint64 limit = qint64(options_.minutes) * 60000;
    for (;;) {
        if (options_.minutes > 0 ? clock.elapsed() >= limit : counts_.actions >= options_.actions)
            break;
        step();
        if (counts_.actions % 100 == 0) {
            std::printf("soak: %ld actions, %ld checks\n", counts_.actions, counts_.checks);
            std::fflush(stdout);
        }
        if (counts_.actions % 1000 == 0) checkMemory();
    }
    if (counts_.actions > 1000 && counts_.actions % 1000 != 0) checkMemory();  // the end's
    releaseLocks();
    stopPgbench();
    checkProgramEnd();
    return 0;
}

MsgResult SoakRun::answerBox(const MessageBoxRequest& box) {
    boxes_ << box;
    // An error box may hide the driver's own text ("-9:..."): it goes beside it in the log.
    if (box.title.contains(QStringLiteral("エラー")) && !session_->LastMessage.isEmpty() &&
        !box.text.contains(session_->LastMessage.left(20)))
        note(QStringLiteral("  (the driver said: %1)").arg(session_->LastMessage.left(160)));
    // What the other connections' locks did to the program's statements, as the user read it.
    const QString said =
        box.title.contains(QStringLiteral("エラー")) ? box.text + session_->LastMessage : QString();
    for (const char* what :
         {"deadlock", "lock timeout", "lock wait timeout", "could not serialize"})
        if (said.contains(QLatin1String(what), Qt::CaseInsensitive))
            ++counts_.faults[std::string("(seen by the user: ") + what + ")"];
    note(
        QStringLiteral("  box \"%1\": %2")
            .arg(box.title,
                 QString(box.text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")).left(120)));
    switch (box.buttons) {
        case MsgButtons::Ok:
            return MsgResult::Ok;
        case MsgButtons::OkCancel:
            return Pick(rng_, 4) == 0 ? MsgResult::Cancel : MsgResult::Ok;
        case MsgButtons::YesNo:
            return Pick(rng_, 2) == 0 ? MsgResult::No : MsgResult::Yes;
        case MsgButtons::YesNoCancel: {
            const MsgResult r[] = {MsgResult::Yes, MsgResult::No, MsgResult::Cancel};
            return r[Pick(rng_, 3)];
        }
        case MsgButtons::RetryCancel:  // rarely again, so a lasting failure ends
            return Pick(rng_, 4) == 0 ? MsgResult::Retry : MsgResult::Cancel;
    }
    return MsgResult::Ok;
}

QString SoakRun::answerFileDialog(const FileDialogRequest& request) {
    if (Pick(rng_, 20) == 0) {
        note(QStringLiteral("  file dialog \"%1\": cancelled").arg(request.title));
        return {};
    }
    QString path;
    if (request.kind == FileDialogKind::Save) {
        const QString suffix = request.initialName.section(u'.', -1);
        path = folder(QStringLiteral("out")) +
               QStringLiteral("f%1.%2").arg(++fileCounter_ % 50).arg(suffix);
        QFile::remove(path);  // the dialog asked about replacing it already
        savedFiles_ << path;
    } else {
        path = nextOpenFile_;
    }
    note(QStringLiteral("  file dialog \"%1\": %2").arg(request.title, path));
    return path;
}

ProcessOutcome SoakRun::answerProcess(const ProcessRequest& request) {
    note(QStringLiteral("  process %1 %2").arg(request.program, request.arguments.join(u' ')));
    if (request.program != QStringLiteral("soak-editor") || request.arguments.isEmpty())
        return {true, 0, {}};
    // The scripted editor: writes its text into the file it was given, or leaves it alone.
    if (request.wait && !nextEditorText_.isEmpty()) {
        QFile file(request.arguments.first());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(nextEditorText_.toUtf8());
    }
    return {true, 0, {}};
}

}  // namespace varkel::test

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <QFile>
#include <QProcess>

#include "soak/soak_run.h"
#include "ui/main/main_window.h"

namespace varkel::test {

namespace {

bool RemountFolder(const QString& folder, unsigned long long bytes) {
    const QByteArray options = "size=" + QByteArray::number(bytes);
    return mount(nullptr, QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT,
                 options.constData()) == 0;
}

}  // namespace

FullDisk::FullDisk(const QString& mount, long room) : mount_(mount) {
    struct statvfs fs {};
    if (!mount_.isEmpty() && statvfs(QFile::encodeName(mount_).constData(), &fs) == 0 &&
        RemountFolder(mount_, (fs.f_blocks - fs.f_bfree) * fs.f_frsize + room))
        return;
    mount_.clear();
    limit_ = std::make_unique<ScopedFileSizeLimit>(room);
}

FullDisk::~FullDisk() {
    if (!mount_.isEmpty()) RemountFolder(mount_, kFolderBytes);
}

void SoakRun::injectFault() {
    switch (Pick(rng_, 8)) {
        case 0:
        case 1:
            restartServer();
            return;
        case 2:
        case 3:
            lockTable();
            return;
        case 4:
            runPgbench();
            return;
        default:
            killSession();
    }
}

// The program's session ended from the server, as an administrator ends it.
void SoakRun::killSession() {
    Target* t = current();
    if (!t || t->engine == Engine::SQLite) return;
    ++counts_.faults["session killed by the server"];
    note(QStringLiteral("  fault: %1 session killed").arg(t->dsn));
    if (!t->admin || !t->admin->ok())
        t->admin = std::make_unique<AdminConnection>(t->db->driverConnectString());
    AdminConnection& admin = *t->admin;
    if (t->engine == Engine::PostgreSQL) {
        admin.rows(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                  "WHERE datname = '%1' AND pid <> pg_backend_pid()")
                       .arg(t->database));
        return;
    }
    for (const QString& id :
         admin.rows(QStringLiteral("SELECT ID FROM information_schema.PROCESSLIST WHERE DB = '%1' "
                                   "AND ID <> CONNECTION_ID()")
                        .arg(t->database)))
        admin.exec(QStringLiteral("KILL ") + id);
}

// The server stopped and started again (by the helper the throwaway servers' script offers).
void SoakRun::restartServer() {
    const QString ctl = qEnvironmentVariable("VARKEL_SERVER_CTL");
    std::vector<Target*> servers;
    for (Target& t : targets_)
        if (t.engine != Engine::SQLite) servers.push_back(&t);
    if (ctl.isEmpty() || servers.empty()) return;
    Target* t = servers[static_cast<size_t>(Pick(rng_, static_cast<int>(servers.size())))];
    const QString which =
        t->engine == Engine::PostgreSQL ? QStringLiteral("pg") : QStringLiteral("maria");
    ++counts_.faults["server stopped and started"];
    note(QStringLiteral("  fault: %1 server restarted").arg(which));
    QProcess p;
    p.start(QStringLiteral("bash"), {ctl, which, QStringLiteral("restart")});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        fail(QStringLiteral("the %1 server did not restart: %2")
                 .arg(which, QString::fromLocal8Bit(p.readAllStandardError())));
    t->admin.reset();  // it died with the server; the next fault opens another
    t->locker.reset();
    t->db->reopenConnections();
    limitLockWaits(*t);  // MariaDB forgets its global settings
}

void SoakRun::limitLockWaits(Target& t) {
    if (t.engine == Engine::PostgreSQL)
        t.db->admin().exec(
            QStringLiteral("ALTER DATABASE %1 SET lock_timeout = '2s'").arg(t.database));
    else if (t.engine == Engine::MariaDB)
        t.db->admin().exec(QStringLiteral(
            "SET GLOBAL lock_wait_timeout = 1, GLOBAL innodb_lock_wait_timeout = 1"));
}

// Another connection locks soak_t, the table the program's statements write to, against writes
// and keeps the lock for some actions: the program's writes meanwhile wait (the stop command
// cancels them) or end with the server's message. Its own wait for the lock is short: the
// program's open transaction may hold soak_t already.
void SoakRun::lockTable() {
    Target* t = current();
    if (!t || t->engine == Engine::SQLite || t->locker) return;
    ++counts_.faults["table locked by another connection"];
    lockRelease_ = counts_.actions + 1 + Pick(rng_, 10);
    note(QStringLiteral("  fault: soak_t locked by another connection until action %1")
             .arg(lockRelease_));
    t->locker = std::make_unique<AdminConnection>(t->db->driverConnectString());
    if (t->engine == Engine::PostgreSQL) {
        t->locker->exec(QStringLiteral("BEGIN"));
        t->locker->exec(QStringLiteral("SET LOCAL lock_timeout = '200ms'"));
        // The program may hold the table itself: then there is no lock to take.
        t->locker->exec(QStringLiteral("LOCK TABLE soak_t IN SHARE MODE"), true);
    } else {
        t->locker->exec(QStringLiteral("SET SESSION lock_wait_timeout = 1"));
        t->locker->exec(QStringLiteral("LOCK TABLES soak_t READ"), true);
    }
}

void SoakRun::releaseLocks() {
    lockRelease_ = 0;
    for (Target& t : targets_)
        t.locker.reset();  // its transaction and lock end with the connection
}

// pgbench against the program's PostgreSQL database for four seconds beside the run: its
// transactions lock the rows of soak_t up to a key, wait a moment and lock the rows above it, so
// the program's statements on those rows meet lock waits and deadlocks, and under repeatable
// read (a statement of the pool) rows changed after their snapshot.
void SoakRun::runPgbench() {
    Target* t = current();
    if (!t || t->engine != Engine::PostgreSQL ||
        (pgbench_ && pgbench_->state() != QProcess::NotRunning))
        return;
    ++counts_.faults["pgbench beside the program"];
    note(QStringLiteral("  fault: pgbench runs for 4 s"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* key : {"HOST", "PORT", "USER", "PASSWORD"})
        env.insert(QStringLiteral("PG") + QLatin1String(key),
                   qEnvironmentVariable((std::string("VARKEL_PG_") + key).c_str()));
    env.insert(QStringLiteral("PGDATABASE"), t->database);
    // Its waits for the program's locks last until the program's transaction ends; where the
    // two wait for each other, the program's statement, which looks sooner, is the one undone.
    env.insert(QStringLiteral("PGOPTIONS"), QStringLiteral("-c deadlock_timeout=5s"));
    const QString program = QStringLiteral("/usr/lib/postgresql/15/bin/pgbench");
    const QString script = config_.path(QStringLiteral("pgbench.sql"));
    if (!pgbenchTables_) {
        QFile f(script);
        if (!f.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write ") + script);
        f.write(
            "\\set k random(1, 1000)\n"
            "BEGIN;\n"
            "UPDATE soak_t SET v = 'pgbench' WHERE k <= :k;\n"
            "UPDATE pgbench_accounts SET abalance = abalance + 1 WHERE aid = :k;\n"
            "SELECT pg_sleep(0.05);\n"
            "UPDATE soak_t SET v = 'pgbench' WHERE k > :k AND k <= 1000;\n"
            "END;\n");
        f.close();
        QProcess init;
        init.setProcessEnvironment(env);
        init.start(program, {QStringLiteral("-i"), QStringLiteral("-q")});
        if (!init.waitForFinished(120000) || init.exitCode() != 0) {
            note(QStringLiteral("  pgbench -i failed: ") +
                 QString::fromLocal8Bit(init.readAllStandardError()).left(200));
            return;
        }
        pgbenchTables_ = true;
    }
    pgbench_ = std::make_unique<QProcess>();
    pgbench_->setProcessEnvironment(env);
    pgbench_->setStandardOutputFile(QProcess::nullDevice());
    pgbench_->setStandardErrorFile(QProcess::nullDevice());
    pgbench_->start(program,
                    {QStringLiteral("-n"), QStringLiteral("-c"), QStringLiteral("1"),
                     QStringLiteral("-T"), QStringLiteral("4"), QStringLiteral("-f"), script});
}

void SoakRun::stopPgbench() {
    if (!pgbench_ || pgbench_->state() == QProcess::NotRunning) return;
    pgbench_->kill();
    pgbench_->waitForFinished(10000);
}

}  // namespace varkel::test

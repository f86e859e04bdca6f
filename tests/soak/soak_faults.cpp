#include <QProcess>

#include "soak/soak_run.h"
#include "ui/main/main_window.h"

namespace varkel::test {

void SoakRun::injectFault() {
    const int what = Pick(rng_, 4);
    if (what == 0) {
        restartServer();
        return;
    }
    killSession();
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
    t->db->reopenConnections();
}

}  // namespace varkel::test

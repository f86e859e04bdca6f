#include <QApplication>
#include <clocale>

#include "db/api_call.h"
#include "db/odbc_comm.h"

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varkel"));

    // The main window comes next; for now the program prepares its one session and ends.
    varkel::DbSession session;
    varkel::DbInit(session);
    varkel::ReleaseEnvironment(session);
    return 0;
}

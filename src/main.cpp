#include <QApplication>
#include <clocale>

#include "db/db_session.h"
#include "ui/main/main_window.h"

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varkel"));
    // The unload steps end the program; hidden dialogs must not keep it alive.
    QApplication::setQuitOnLastWindowClosed(false);

    varkel::DbSession session;  // the program's one database session
    varkel::Varkel window(session);
    window.Load();
    return app.exec();
}

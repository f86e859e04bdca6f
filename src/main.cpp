#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <clocale>

#include "db/db_session.h"
#include "store/program_folder.h"
#include "toolkit/combo_names.h"
#include "tools/program_icon.h"
#include "ui/main/main_window.h"

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varkel"));
    QApplication::setApplicationVersion(QStringLiteral(VARKEL_VERSION));
    QApplication::setWindowIcon(varkel::ProgramIcon());
    // Screen readers hear a list's label, not only the item it shows.
    varkel::NameCombosByLabel();
    // The program speaks Japanese: the toolkit's own dialogs (file dialogs, their questions) too.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);
    // The unload steps end the program; hidden dialogs must not keep it alive.
    QApplication::setQuitOnLastWindowClosed(false);
    // An installed copy keeps its files in the user's data folder, made on the first start.
    varkel::PrepareProgramFolder();

    varkel::DbSession session;  // the program's one database session
    varkel::Varkel window(session);
    window.Load();
    return app.exec();
}

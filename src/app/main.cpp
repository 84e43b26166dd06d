// The contacts editor: a QApplication with the operator's prompts and the main window.
#include "contacts/FrmContactos.h"
#include "shared/QtPrompts.h"
#include "startup/ModGlobal.h"

#include <QApplication>
#include <QStringList>
#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // QApplication takes the C library's locale from the environment; under a decimal-comma
    // locale the workbook writer and the ODBC drivers would then print "1,5" where their formats
    // need "1.5". The program's own texts go through QLocale, which the environment still sets.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("CONTACTOS"));
    QtPrompts operatorPrompts;
    installPrompts(&operatorPrompts);

    // The suite hands the parameter string as the whole command line.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    ModGlobal::setCommandLine(arguments.join(u' '));

    try {
        FrmContactos window;
        window.Form_Load();
        window.show();
        return QApplication::exec();
    } catch (const ProgramEnd&) {
        return 0;
    }
}

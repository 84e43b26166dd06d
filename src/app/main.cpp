// The contacts editor: a QApplication with the operator's prompts and the main window.
#include "contacts/FrmContactos.h"
#include "shared/QtPrompts.h"
#include "startup/ModGlobal.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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

// The contacts editor: a QApplication with the operator's prompts and the main window.
#include "contacts/FrmContactos.h"
#include "contacts/WindowPlacement.h"
#include "shared/ProgramFolders.h"
#include "shared/QtPrompts.h"
#include "shared/QtTranslations.h"
#include "startup/ModGlobal.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <clocale>
#include <cstdio>
#include <cstring>

namespace {

const char* const helpText =
    "Uso: contactos [CADENA DE PARÁMETROS]\n"
    "     contactos --help | --version\n"
    "\n"
    "Editor de contactos del sistema de gestión: muestra la tabla MA_contactos en una grilla\n"
    "que se ordena, se filtra y se edita en el lugar, y la exporta a un libro de Excel o a una\n"
    "página HTML.\n"
    "\n"
    "La cadena de parámetros es la que entrega el sistema de gestión, por ejemplo:\n"
    "  contactos \"@Server=SRV01:1433;@DbName=VENTAS;@Usuario=juan;@Password=secreto;\"\n"
    "Un servidor que empieza con \"#\" es una base Oracle; el servidor \"SQLITE\" abre el\n"
    "archivo SQLite indicado en @DbName. Sin cadena de parámetros, el programa pide los datos\n"
    "de conexión.\n"
    "\n"
    "Opciones:\n"
    "  --help     muestra esta ayuda y termina\n"
    "  --version  muestra la versión y termina\n"
    "\n"
    "Archivos: instalado, las máscaras de consulta (consultas.qln) y los anchos de columna\n"
    "(CONSULTASLEN.QLN) van en ~/.local/share/contactos, y CN000pr.INI se busca en\n"
    "~/.config/contactos y luego en /etc/xdg/contactos. Ejecutado desde una carpeta en la que\n"
    "el operador puede escribir, todos quedan junto al programa. Las filas editadas que no se\n"
    "pudieron grabar quedan en la carpeta recuperacion de ese mismo lugar, y se ofrecen al\n"
    "volver a abrir el programa sobre la misma base de datos.\n"
    "\n"
    "Variables de entorno: CONTACTOS_SQLSERVER_DRIVER, CONTACTOS_ORACLE_DRIVER y\n"
    "CONTACTOS_SQLITE_DRIVER nombran el controlador ODBC de cada plataforma.\n";

// --help and --version are answered before Qt is started, so they need no display and open no
// database. Any other command line is the suite's parameter string.
bool answeredInformationRequest(int argc, char** argv) {
    if (argc != 2) return false;
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(helpText, stdout);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::fputs("contactos " CONTACTOS_VERSION "\n", stdout);
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (answeredInformationRequest(argc, argv)) return 0;

    QApplication app(argc, argv);
    // QApplication takes the C library's locale from the environment; under a decimal-comma
    // locale the workbook writer and the ODBC drivers would then print "1,5" where their formats
    // need "1.5". The program's own texts go through QLocale, which the environment still sets.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("CONTACTOS"));
    QApplication::setApplicationVersion(QStringLiteral(CONTACTOS_VERSION));
    // The desktop entry's name lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(CONTACTOS_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("contactos")));
    // Nothing is lost when Qt's translations are not installed: its texts stay in English.
    QtTranslations::install();
    QtPrompts operatorPrompts;
    installPrompts(&operatorPrompts);

    // The suite hands the parameter string as the whole command line.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    ModGlobal::setCommandLine(arguments.join(u' '));

    try {
        FrmContactos window;
        window.Form_Load();
        // Where the operator left it; the first time, at its designed size.
        window.keepPlacement(WindowPlacement(ProgramFolders::ofThisProgram().operatorFolder() +
                                                 QStringLiteral("/contactos.conf"),
                                             QStringLiteral("FrmContactos/geometria")));
        window.show();
        return QApplication::exec();
    } catch (const ProgramEnd&) {
        return 0;
    }
}

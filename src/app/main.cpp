// The contacts editor: a QApplication with the operator's prompts and the main window.
#include "shared/QtPrompts.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("CONTACTOS"));
    QtPrompts operatorPrompts;
    installPrompts(&operatorPrompts);
    return 0;
}

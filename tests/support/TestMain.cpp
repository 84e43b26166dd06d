// Every test executable runs inside a QApplication on the offscreen platform, so widget tests use
// real widgets without a display.
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // As the program's own main: numbers printed by libraries keep the C form whatever the locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("CONTACTOS"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

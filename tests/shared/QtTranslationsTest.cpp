#include "shared/QtTranslations.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

// The save dialog, its file list and the text boxes' context menu speak Spanish once Qt's
// translations are installed (scripts/setup installs Debian's package of them).
TEST(QtTranslations, QtsOwnDialogAndMenuTextsAreSpanish) {
    ASSERT_TRUE(QtTranslations::install()) << "Qt's Spanish translations are missing";
    const auto qt = [](const char* context, const char* text) {
        return QCoreApplication::translate(context, text).toStdString();
    };
    EXPECT_EQ(qt("QFileDialog", "Look in:"), "Ver en:");
    EXPECT_EQ(qt("QFileDialog", "Detail View"), "Vista detallada");
    EXPECT_EQ(qt("QFileSystemModel", "Name"), "Nombre");
    EXPECT_EQ(qt("QFileSystemModel", "Date Modified"), "Última modificación");
    EXPECT_EQ(qt("QLineEdit", "&Undo"), "&Deshacer");
    EXPECT_EQ(qt("QPlatformTheme", "Cancel"), "Cancelar");
    // The type of a folder in the save dialog's list, which Debian's translations lack.
    EXPECT_EQ(qt("QAbstractFileIconProvider", "Folder"), "Carpeta");
}

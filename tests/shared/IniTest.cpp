#include "shared/Ini.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(Ini, ReadsSectionsKeysCommentsAndLineEnds) {
    QTemporaryDir dir;
    Ini ini;
    ini.setFolder(dir.path());
    writeBytes(dir.filePath(QStringLiteral("CN000pr.INI")),
               "; comment\r\n"
               "[PC1|JUAN]\r\n"
               "FlatToolbars = 0\r\n"
               "# another comment\r\n"
               "\r\n"
               "[pc1|juanBaseDeDatos]\n"
               "Servidor=SRV01\n"
               "DbName=Se\xf1or\n"
               "  Usuario  =  \"quoted\"  \n"
               "[Other]\r\n"
               "Servidor=wrong\r\n");
    const QString f = QStringLiteral("CN000pr.INI");
    EXPECT_EQ(ini.ReadIniValue(f, QStringLiteral("PC1|JUAN"), QStringLiteral("FlatToolbars"), QStringLiteral("1")), QStringLiteral("0"));
    EXPECT_EQ(ini.ReadIniValue(f, QStringLiteral("PC1|JUANBaseDeDatos"), QStringLiteral("servidor"), {}), QStringLiteral("SRV01"));
    EXPECT_EQ(ini.ReadIniValue(f, QStringLiteral("PC1|JUANBaseDeDatos"), QStringLiteral("DbName"), {}), QStringLiteral("Señor"));
    EXPECT_EQ(ini.ReadIniValue(f, QStringLiteral("PC1|JUANBaseDeDatos"), QStringLiteral("Usuario"), {}), QStringLiteral("quoted"));
    EXPECT_EQ(ini.ReadIniValue(f, QStringLiteral("PC1|JUANBaseDeDatos"), QStringLiteral("Missing"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(ini.ReadIniValue(f, QStringLiteral("Nowhere"), QStringLiteral("Servidor"), QStringLiteral("d")), QStringLiteral("d"));
}

TEST(Ini, MissingOrDamagedFilesGiveTheDefault) {
    QTemporaryDir dir;
    Ini ini;
    ini.setFolder(dir.path());
    EXPECT_EQ(ini.ReadIniValue(QStringLiteral("absent.ini"), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("def")), QStringLiteral("def"));
    writeBytes(dir.filePath(QStringLiteral("bad.ini")), QByteArray("[S\r\nK\r\n=\r\n\x00\x01\xff[", 15));
    EXPECT_EQ(ini.ReadIniValue(QStringLiteral("bad.ini"), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("def")), QStringLiteral("def"));
    // An absolute path is used as it stands.
    writeBytes(dir.filePath(QStringLiteral("abs.ini")), "[S]\nK=v\n");
    Ini other;
    EXPECT_EQ(other.ReadIniValue(dir.filePath(QStringLiteral("abs.ini")), QStringLiteral("s"), QStringLiteral("k"), {}), QStringLiteral("v"));
}

} // namespace

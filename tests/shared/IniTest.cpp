#include "shared/Ini.h"

#include <QFile>
#include <QStringEncoder>
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
    writeBytes(dir.filePath(QStringLiteral("CN000pr.INI")), "; comment\r\n"
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
    EXPECT_EQ(ini.ReadIniValue(f, QStringLiteral("PC1|JUAN"), QStringLiteral("FlatToolbars"),
                               QStringLiteral("1")),
              QStringLiteral("0"));
    EXPECT_EQ(
        ini.ReadIniValue(f, QStringLiteral("PC1|JUANBaseDeDatos"), QStringLiteral("servidor"), {}),
        QStringLiteral("SRV01"));
    EXPECT_EQ(
        ini.ReadIniValue(f, QStringLiteral("PC1|JUANBaseDeDatos"), QStringLiteral("DbName"), {}),
        QStringLiteral("Señor"));
    EXPECT_EQ(
        ini.ReadIniValue(f, QStringLiteral("PC1|JUANBaseDeDatos"), QStringLiteral("Usuario"), {}),
        QStringLiteral("quoted"));
    EXPECT_EQ(ini.ReadIniValue(f, QStringLiteral("PC1|JUANBaseDeDatos"), QStringLiteral("Missing"),
                               QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(ini.ReadIniValue(f, QStringLiteral("Nowhere"), QStringLiteral("Servidor"),
                               QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST(Ini, ByteOrderMarksAndEveryKindOfLineEnd) {
    QTemporaryDir dir;
    Ini ini;
    ini.setFolder(dir.path());
    const auto read = [&](const QByteArray& bytes, const QString& key) {
        writeBytes(dir.filePath(QStringLiteral("CN000pr.INI")), bytes);
        return ini.ReadIniValue(QStringLiteral("CN000pr.INI"), QStringLiteral("PC1|JUAN"), key,
                                QStringLiteral("def"));
    };
    // The first section is found after a mark, and the text is read as the mark says.
    EXPECT_EQ(read("\xEF\xBB\xBF[PC1|JUAN]\r\nFlatToolbars=0\r\nDbName=Se\xC3\xB1or\r\n",
                   QStringLiteral("DbName")),
              QStringLiteral("Señor"));
    const QString ini16 = QStringLiteral("[PC1|JUAN]\r\nDb=\u00F1\u20AC\r\n");
    for (const auto encoding : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        const QByteArray bytes = QStringEncoder(encoding, QStringConverter::Flag::WriteBom)(ini16);
        EXPECT_EQ(read(bytes, QStringLiteral("Db")), QStringLiteral("\u00F1\u20AC"));
    }
    // CR alone ends lines as well; without a mark the bytes are Windows-1252.
    EXPECT_EQ(read("[Otra]\rDb=x\r[PC1|JUAN]\rFlatToolbars=0\rDb=Se\xF1or\r",
                   QStringLiteral("FlatToolbars")),
              QStringLiteral("0"));
    EXPECT_EQ(read("[Otra]\rDb=x\r[PC1|JUAN]\rFlatToolbars=0\rDb=Se\xF1or\r", QStringLiteral("Db")),
              QStringLiteral("Señor"));
    EXPECT_EQ(read("[PC1|JUAN]\n\rDb=a\r\n", QStringLiteral("Db")), QStringLiteral("a"));
}

TEST(Ini, MissingOrDamagedFilesGiveTheDefault) {
    QTemporaryDir dir;
    Ini ini;
    ini.setFolder(dir.path());
    EXPECT_EQ(ini.ReadIniValue(QStringLiteral("absent.ini"), QStringLiteral("S"),
                               QStringLiteral("K"), QStringLiteral("def")),
              QStringLiteral("def"));
    writeBytes(dir.filePath(QStringLiteral("bad.ini")),
               QByteArray("[S\r\nK\r\n=\r\n\x00\x01\xff[", 15));
    EXPECT_EQ(ini.ReadIniValue(QStringLiteral("bad.ini"), QStringLiteral("S"), QStringLiteral("K"),
                               QStringLiteral("def")),
              QStringLiteral("def"));
    // An absolute path is used as it stands.
    writeBytes(dir.filePath(QStringLiteral("abs.ini")), "[S]\nK=v\n");
    Ini other;
    EXPECT_EQ(other.ReadIniValue(dir.filePath(QStringLiteral("abs.ini")), QStringLiteral("s"),
                                 QStringLiteral("k"), {}),
              QStringLiteral("v"));
}

} // namespace

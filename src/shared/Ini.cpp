#include "Ini.h"

#include "TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString Ini::folder() const {
    if (!folder_.isEmpty()) return folder_;
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

QString Ini::ReadIniValue(const QString& fileName, const QString& section, const QString& key,
                          const QString& defaultValue) const {
    const QString path =
        QFileInfo(fileName).isAbsolute() ? fileName : QDir(folder()).filePath(fileName);
    std::optional<QString> text = TextFile::readMarked(path);
    if (!text) return defaultValue;
    // Lines end in CR LF, LF or CR alone, whichever the editor that saved the file wrote.
    text->replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text->replace(u'\r', u'\n');

    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();
    bool inSection = false;
    for (QStringView line : QStringView(*text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.lastIndexOf(u']');
            if (close < 0) continue; // a damaged header names no section
            inSection =
                line.mid(1, close - 1).trimmed().compare(wantedSection, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection) continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) continue;
        if (line.left(eq).trimmed().compare(wantedKey, Qt::CaseInsensitive) != 0) continue;
        QStringView value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        return value.toString();
    }
    return defaultValue;
}

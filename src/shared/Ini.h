#pragma once

#include <QString>

// Reader of the suite's INI files: "[section]" lines, "key=value" lines, comments starting with
// ";" or "#", CR LF, LF or CR line ends, Windows-1252 bytes (or UTF-8 or UTF-16 after a
// byte-order mark, as some editors save). Section and key names are compared ignoring case and
// surrounding blanks; the first occurrence wins.
class Ini {
public:
    // The value of key in section of the file, or `defaultValue` when the file, the section or
    // the key is missing or unreadable. A relative file name is looked up in `folder()`.
    QString ReadIniValue(const QString& fileName, const QString& section, const QString& key,
                         const QString& defaultValue) const;

    // Where relative INI file names are looked up: the application folder (set by the start-up),
    // else the program's folder.
    void setFolder(const QString& folder) { folder_ = folder; }
    QString folder() const;

private:
    QString folder_;
};

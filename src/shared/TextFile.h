#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The suite's stored files are Windows-1252 bytes with CR LF line ends, shared with its other
// programs. These helpers are the one place where text meets those bytes.
namespace TextFile {

// Windows-1252 bytes of a text. A character the code page lacks becomes "?" (and *lossless is
// set false when given).
QByteArray encode1252(QStringView text, bool* lossless = nullptr);
// True when the character has a Windows-1252 byte.
bool has1252(QChar c);

namespace detail {
int highByte1252(char16_t u);
}

// The Windows-1252 byte of a character, or -1 when the code page lacks it.
inline int byte1252(char16_t u) {
    // ASCII and Latin-1 letters are their own bytes; only 0x80 to 0x9F differ.
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
    return detail::highByte1252(u);
}

// The text of Windows-1252 bytes (the five unassigned bytes map to the C1 controls, as Windows
// does).
QString decode1252(const QByteArray& bytes);

// The whole file decoded from Windows-1252; nothing when it cannot be read.
std::optional<QString> read1252(const QString& path);
// The whole file as its byte-order mark says (UTF-8, UTF-16 little or big endian, the mark
// itself left out), else as Windows-1252, the suite's own files having none; nothing when it
// cannot be read. For files that other tools may have saved, such as the INI file.
std::optional<QString> readMarked(const QString& path);
// Writes the lines, each ending in CR LF, through a temporary file renamed over the target, so a
// failure never leaves half a file. Raises a run-time error (75) when it cannot be written.
void writeLines1252(const QString& path, const QStringList& lines);

} // namespace TextFile

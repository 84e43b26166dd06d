#include "TextFile.h"

#include "RuntimeError.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {
// Unicode of the bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

namespace TextFile {

int detail::highByte1252(char16_t u) {
    for (int i = 0; i < 32; ++i) {
        if (high[i] == u) return 0x80 + i;
    }
    return -1;
}

bool has1252(QChar c) {
    return byte1252(c.unicode()) >= 0;
}

QByteArray encode1252(QStringView text, bool* lossless) {
    QByteArray out(text.size(), Qt::Uninitialized);
    char* d = out.data();
    bool all = true;
    for (QChar c : text) {
        const int b = byte1252(c.unicode());
        all = all && b >= 0;
        *d++ = b < 0 ? '?' : char(b);
    }
    if (lossless) *lossless = all;
    return out;
}

QString decode1252(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(high[b - 0x80]) : QChar(char16_t(b)));
    }
    return out;
}

std::optional<QString> read1252(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return decode1252(file.readAll());
}

std::optional<QString> readMarked(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    return decode1252(bytes);
}

void writeLines1252(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        raiseError(
            ErrorNumber::PathFileAccess,
            QStringLiteral("No se puede escribir el archivo %1: %2").arg(path, file.errorString()),
            QStringLiteral("TextFile"));
    }
    for (const QString& line : lines) {
        file.write(encode1252(line));
        file.write("\r\n", 2);
    }
    if (!file.commit()) {
        raiseError(
            ErrorNumber::PathFileAccess,
            QStringLiteral("No se puede escribir el archivo %1: %2").arg(path, file.errorString()),
            QStringLiteral("TextFile"));
    }
}

} // namespace TextFile

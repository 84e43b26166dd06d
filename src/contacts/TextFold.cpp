#include "TextFold.h"

#include <array>

namespace {

constexpr char16_t combiningTilde = 0x0303;
constexpr char16_t smallEnye = 0x00F1;

bool isCombiningMark(char16_t c) {
    return QChar::category(char32_t(c)) == QChar::Mark_NonSpacing;
}

// One character, the slow road: its canonical decomposition's base letter, in folded case; "ñ"
// and "Ñ" keep their tilde.
char16_t foldOne(char16_t c) {
    if (c == 0x00D1 || c == smallEnye) return smallEnye;
    const QChar ch(c);
    if (ch.decompositionTag() == QChar::Canonical) {
        const QString parts = ch.decomposition();
        if (!parts.isEmpty() && !parts.at(0).isSurrogate()) return foldOne(parts.at(0).unicode());
    }
    return QChar::toCaseFolded(c);
}

// The Latin letters of Western texts, folded once.
constexpr int tableSize = 0x250;
const std::array<char16_t, tableSize>& table() {
    static const std::array<char16_t, tableSize> folded = [] {
        std::array<char16_t, tableSize> t{};
        for (int c = 0; c < tableSize; ++c)
            t[std::size_t(c)] = foldOne(char16_t(c));
        return t;
    }();
    return folded;
}

} // namespace

void TextFold::appendFolded(QStringView text, QString& out) {
    const std::array<char16_t, tableSize>& fast = table();
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < tableSize) {
            out.append(QChar(fast[c]));
            continue;
        }
        if (ch.isSurrogate()) {
            out.append(ch);
            continue;
        }
        // A decomposed accent goes with its letter, except the tilde that makes an "ñ".
        if (isCombiningMark(c)) {
            if (c == combiningTilde && !out.isEmpty() && out.back() == u'n')
                out.back() = QChar(smallEnye);
            continue;
        }
        out.append(QChar(foldOne(c)));
    }
}

QString TextFold::fold(QStringView text) {
    QString out;
    out.reserve(text.size());
    appendFolded(text, out);
    return out;
}

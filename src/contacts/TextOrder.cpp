#include "TextOrder.h"

#include <QLocale>
#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

// How the key mirrors the collator (Unicode collation, as the collation library does it): a text
// compares first by the base letters of all its characters (the primary weights), then, when those
// are equal, by its accents (the secondary weights; case is ignored altogether). An accented
// letter is its base letter followed by the accent's own weight, unless the language makes it a
// letter of its own (ñ in Spanish). So the key is the primary weight of every character, a
// separator lower than any weight, then one weight for every character's accent, the lowest for
// none: where the collator's accent weights of two texts first differ, these do too, in the same
// order, since an accent outweighs the plain weight that the collator puts before it.
namespace {

constexpr char16_t separator = 1;
constexpr char16_t common = 2;
constexpr std::uint16_t firstWeight = 2;

QString one(char16_t c) {
    return QString(QChar(c));
}

// The accented letters the key covers: an ASCII letter and one combining accent (á, ü, ñ, ç...).
// Letters that decompose into something else (æ, ß, ø) weigh as two letters or as a letter of
// their own in some languages, so they go to the collator.
bool accentedLetter(char16_t u) {
    const QChar c(u);
    if (c.decompositionTag() != QChar::Canonical) return false;
    const QString parts = c.decomposition();
    return parts.size() == 2 && parts[0].unicode() < 128 && parts[0].isLetter() &&
           parts[1].category() == QChar::Mark_NonSpacing;
}

} // namespace

TextOrder::TextOrder() : collator_(QLocale()) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    collator_.setNumericMode(false);
    collator_.setIgnorePunctuation(false);
    readWeights();
    keysInUse_ = keysAgree();
}

void TextOrder::readWeights() {
    std::vector<char16_t> covered;
    for (char16_t u = 0x20; u < 0x7F; ++u)
        covered.push_back(u);
    for (char16_t u = 0xC0; u <= 0xFF; ++u) {
        if (accentedLetter(u)) covered.push_back(u);
    }
    std::stable_sort(covered.begin(), covered.end(), [this](char16_t a, char16_t b) {
        return collator_.compare(one(a), one(b)) < 0;
    });
    // Neighbours in that order share their base letter when a following letter outweighs the
    // difference between them: "áb" after "aa".
    std::uint16_t primary = firstWeight;
    for (std::size_t i = 0; i < covered.size(); ++i) {
        if (i > 0 && collator_.compare(one(covered[i - 1]) + u'b', one(covered[i]) + u'a') < 0)
            ++primary;
        weights_[covered[i]].primary = primary;
    }

    // The accents, in the collator's order of a letter bearing them.
    std::vector<char16_t> accents;
    for (const char16_t u : covered) {
        if (u < 0x80) continue;
        const QString parts = QChar(u).decomposition();
        // A letter of its own (ñ in Spanish) weighs apart from its base letter, with no accent.
        if (weights_[u].primary != weights_[parts[0].unicode()].primary) continue;
        if (std::find(accents.begin(), accents.end(), parts[1].unicode()) == accents.end())
            accents.push_back(parts[1].unicode());
    }
    std::stable_sort(accents.begin(), accents.end(), [this](char16_t a, char16_t b) {
        return collator_.compare(u"a"_s + QChar(a), u"a"_s + QChar(b)) < 0;
    });
    for (const char16_t u : covered) {
        if (u < 0x80) continue;
        const QString parts = QChar(u).decomposition();
        if (weights_[u].primary != weights_[parts[0].unicode()].primary) continue;
        const auto rank = std::find(accents.begin(), accents.end(), parts[1].unicode());
        weights_[u].accent = std::uint16_t(rank - accents.begin() + 1);
    }
}

bool TextOrder::appendKey(QStringView text, QString& keys) const {
    return keysInUse_ && makeKey(text, keys);
}

bool TextOrder::makeKey(QStringView text, QString& keys) const {
    const qsizetype start = keys.size();
    const qsizetype n = text.size();
    // The primary weights, the separator, then one accent weight for every character.
    keys.resize(start + 2 * n + 1);
    char16_t* out = reinterpret_cast<char16_t*>(keys.data()) + start;
    const char16_t* in = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = in[i];
        if (u > 0xFF || weights_[u].primary == 0) {
            keys.truncate(start);
            return false;
        }
        out[i] = weights_[u].primary;
        out[n + 1 + i] = char16_t(common + weights_[u].accent);
    }
    out[n] = separator;
    return true;
}

// The keys are trusted only when they order sample texts exactly as the collator does: texts of
// every covered character, and the pairs that tell the rules apart.
bool TextOrder::keysAgree() const {
    std::vector<char16_t> covered;
    for (char16_t u = 0; u <= 0xFF; ++u) {
        if (weights_[u].primary != 0) covered.push_back(u);
    }
    if (covered.empty()) return false;
    QStringList samples{u""_s,     u"a"_s,    u"á"_s,     u"A"_s,     u"Á"_s,     u"b"_s,
                        u"n"_s,    u"ñ"_s,    u"Ñ"_s,     u"o"_s,     u"nz"_s,    u"ña"_s,
                        u"ab"_s,   u"áa"_s,   u"a b"_s,   u"a-b"_s,   u"a.b"_s,   u"a1"_s,
                        u"10"_s,   u"9"_s,    u"Ana"_s,   u"ana"_s,   u"Ánade"_s, u"Peña"_s,
                        u"Pena"_s, u"Penz"_s, u"pérez"_s, u"Perez"_s, u"Pèrez"_s};
    // A fixed series, so every run checks the same texts.
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int i = 0; i < 600; ++i) {
        QString s;
        const std::uint32_t length = next() % 7;
        for (std::uint32_t k = 0; k < length; ++k)
            s.append(QChar(covered[next() % covered.size()]));
        samples << s;
    }
    std::vector<QString> keys(std::size_t(samples.size()));
    for (qsizetype i = 0; i < samples.size(); ++i) {
        if (!makeKey(samples[i], keys[std::size_t(i)])) return false;
    }
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    const auto agree = [&](qsizetype a, qsizetype b) {
        return sign(QStringView(keys[std::size_t(a)]).compare(keys[std::size_t(b)])) ==
               sign(collator_.compare(samples[a], samples[b]));
    };
    for (qsizetype a = 0; a < samples.size(); ++a) {
        // Each text against its neighbours in the list and against a few taken at random.
        for (qsizetype b = std::max<qsizetype>(0, a - 3); b < a; ++b) {
            if (!agree(a, b)) return false;
        }
        for (int k = 0; k < 4; ++k) {
            if (!agree(a, qsizetype(next() % std::uint32_t(samples.size())))) return false;
        }
    }
    return true;
}

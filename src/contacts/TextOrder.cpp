#include "TextOrder.h"

#include <QLocale>
#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

// How the key mirrors the collator (Unicode collation, as the collation library does it): a text
// compares first by the base letters of all its characters (the primary weights), then, when those
// are equal, by its accents (the secondary weights; case is ignored altogether). An accented
// letter is its base letter followed by the accent's own weight, unless the language makes it a
// letter of its own (ñ in Spanish). So the key is the primary weight of every character (a byte
// each: the covered characters have fewer than 250 base letters), then, when the text has an
// accent, a separator lower than any weight and one weight for every character's accent, the
// lowest for none: where the collator's accent weights of two texts first differ, these do too,
// in the same order, since an accent outweighs the plain weight that the collator puts before it.
// A key without accents ends after its base letters, below any key that goes on.
namespace {

constexpr char separator = 1;
constexpr std::uint8_t common = 2;
constexpr unsigned firstWeight = 2;

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
    keysInUse_ = readWeights() && keysAgree();
}

// False when the weights do not fit the key's bytes.
bool TextOrder::readWeights() {
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
    unsigned primary = firstWeight;
    for (std::size_t i = 0; i < covered.size(); ++i) {
        if (i > 0 && collator_.compare(one(covered[i - 1]) + u'b', one(covered[i]) + u'a') < 0)
            ++primary;
        if (primary > 0xFF) return false;
        weights_[covered[i]].primary = std::uint8_t(primary);
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
        if (common + (rank - accents.begin() + 1) > 0xFF) return false;
        weights_[u].accent = std::uint8_t(rank - accents.begin() + 1);
    }
    return true;
}

bool TextOrder::appendKey(QStringView text, std::string& keys) const {
    return keysInUse_ && makeKey(text, keys);
}

bool TextOrder::makeKey(QStringView text, std::string& keys) const {
    const std::size_t start = keys.size();
    const qsizetype n = text.size();
    const char16_t* in = text.utf16();
    // The accent weights end where the last accent stands: a run of plain weights at the end
    // decides nothing that the key's end does not decide the same way.
    qsizetype accents = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = in[i];
        if (u > 0xFF || weights_[u].primary == 0) return false;
        if (weights_[u].accent != 0) accents = i + 1;
    }
    keys.resize(start + std::size_t(n) + (accents > 0 ? std::size_t(accents) + 1 : 0));
    char* out = keys.data() + start;
    for (qsizetype i = 0; i < n; ++i)
        out[i] = char(weights_[in[i]].primary);
    if (accents == 0) return true;
    out[n] = separator;
    for (qsizetype i = 0; i < accents; ++i)
        out[n + 1 + i] = char(common + weights_[in[i]].accent);
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
    std::vector<std::string> keys(std::size_t(samples.size()));
    for (qsizetype i = 0; i < samples.size(); ++i) {
        if (!makeKey(samples[i], keys[std::size_t(i)])) return false;
    }
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    const auto agree = [&](qsizetype a, qsizetype b) {
        return sign(keys[std::size_t(a)].compare(keys[std::size_t(b)])) ==
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

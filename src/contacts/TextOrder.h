#pragma once

#include <QCollator>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <string>

// Orders texts as a reader of the operator's language does: the collator of the default locale,
// letter case ignored, so accents and case do not split letters apart (Álvarez among the A's) and
// in Spanish Ñ follows N. A collator comparison is slow against a million rows, so a text gets a
// key once: when it is written only in the characters that the key covers (blanks, ASCII letters,
// digits and signs, and the accented Latin letters), the plain comparison of two keys gives the
// collator's answer (a byte comparison, as memcmp makes it); the few other texts are compared by
// the collator itself. The key's rules are read from the collator when the order is made and
// checked against it on sample texts; should they disagree (another collation library), every
// text goes to the collator.
class TextOrder {
public:
    TextOrder();

    // Appends the key of `text` to `keys` and returns true; returns false, appending nothing,
    // when the text holds a character the key does not cover.
    bool appendKey(QStringView text, std::string& keys) const;
    // The collator's own comparison: negative, 0 or positive.
    int compare(QStringView a, QStringView b) const { return collator_.compare(a, b); }
    // False when the keys could not be trusted and every text goes to the collator.
    bool keysInUse() const { return keysInUse_; }

private:
    struct Weights {
        std::uint8_t primary = 0; // 0: not covered
        std::uint8_t accent = 0;  // 0: none
    };
    bool readWeights();
    bool makeKey(QStringView text, std::string& keys) const;
    bool keysAgree() const;

    QCollator collator_;
    std::array<Weights, 256> weights_{};
    bool keysInUse_ = false;
};

#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <variant>

// Fixed-point money value with four decimals, stored as ten-thousandths.
struct Currency {
    std::int64_t scaled = 0;

    static Currency fromDouble(double value);
    double toDouble() const { return double(scaled) / 10000.0; }
    bool operator==(const Currency&) const = default;
    auto operator<=>(const Currency&) const = default;
};

// The suite's Variant: Empty, Null, text, integer, double, currency, date or boolean. Conversions
// follow the platform's rules: texts of numbers and dates are read and written with the default
// locale (QLocale()), and a conversion that cannot be made raises a run-time error (13 for a type
// mismatch, 94 for a Null).
class Variant {
public:
    enum class Type { Empty, Null, Text, Integer, Double, Currency, Date, Boolean };

    Variant() = default;
    Variant(const QString& text) : value_(text) {}
    Variant(const char* text) : value_(QString::fromUtf8(text)) {}
    Variant(int value) : value_(std::int64_t(value)) {}
    Variant(long value) : value_(std::int64_t(value)) {}
    Variant(long long value) : value_(std::int64_t(value)) {}
    Variant(double value) : value_(value) {}
    Variant(Currency value) : value_(value) {}
    Variant(const QDateTime& value) : value_(value) {}
    Variant(bool value) : value_(value) {}

    static Variant null() {
        Variant v;
        v.value_ = NullTag{};
        return v;
    }

    Type type() const { return Type(value_.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNull() const { return type() == Type::Null; }
    bool isNumeric() const;

    // The text the platform writes for the value (CStr): numbers and dates in the default locale,
    // booleans "Verdadero"/"Falso", Empty as "". A Null raises error 94.
    QString toString() const;
    // As toString, but Null gives an empty text (how the grid and the lists show a value).
    QString toDisplayString() const;
    // Numeric value (CDbl): numbers as they are, booleans -1/0, texts read in the default locale.
    // Empty is 0; a text that is no number raises 13; Null raises 94.
    double toDouble() const;
    std::int64_t toInt64() const; // rounded half to even (CLng)
    Currency toCurrency() const;
    bool toBool() const;
    QDateTime toDateTime() const;

    const QString* textIf() const { return std::get_if<QString>(&value_); }

    bool operator==(const Variant& other) const { return value_ == other.value_; }

private:
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    struct EmptyTag {
        bool operator==(const EmptyTag&) const = default;
    };
    std::variant<EmptyTag, NullTag, QString, std::int64_t, double, Currency, QDateTime, bool> value_;
};

// The platform's locale-aware number reading of a whole text ("1.234,5" under a Spanish locale):
// returns false when the text is not a number.
bool readLocaleNumber(const QString& text, double& out);
// The platform's date recognition (IsDate/CDate) under the default locale.
bool readLocaleDate(const QString& text, QDateTime& out);
// A number as the platform writes it under the default locale (no group separators).
QString writeLocaleNumber(double value);
// A date (with its time when not midnight) as the platform writes it under the default locale:
// dd/MM/yyyy, or M/d/yyyy where the regional settings write the month first.
QString writeLocaleDate(const QDate& date, const QTime& time);
// The platform's Val(): the leading number of a text with "." as decimal point; 0 when none.
double leadingNumber(const QString& text);

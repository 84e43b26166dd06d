#include "Variant.h"

#include "RuntimeError.h"

#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <cmath>

Currency Currency::fromDouble(double value) {
    const double scaled = std::nearbyint(value * 10000.0);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 9.2e18) raiseError(ErrorNumber::Overflow);
    return Currency{std::int64_t(scaled)};
}

namespace {

// The default locale without group separators, with its decimal point, and whether it writes
// ASCII digits, "-" and a decimal point of one character (numbers can then be written digit by
// digit). Setting the option copies the locale's data, so the result is kept until
// the default locale changes: the grid formats numbers cell by cell.
struct LocaleNumbers {
    QLocale plain;
    QString point;
    bool asciiDigits = true;
};

const LocaleNumbers& localeNumbers() {
    thread_local QLocale base = QLocale::c();
    thread_local LocaleNumbers numbers{QLocale::c(), QStringLiteral("."), true};
    const QLocale current;
    if (current != base) {
        base = current;
        numbers.plain = current;
        numbers.plain.setNumberOptions(QLocale::OmitGroupSeparator);
        numbers.point = current.decimalPoint();
        numbers.asciiDigits = current.zeroDigit() == QStringLiteral("0") &&
                              current.negativeSign() == QStringLiteral("-") &&
                              numbers.point.size() == 1;
    }
    return numbers;
}

// A currency with its exact digits, dropping the trailing zeros of the decimals as the platform
// does (-12.5 → "-12,5" in a Spanish locale).
QString writeLocaleCurrency(Currency c) {
    const LocaleNumbers& numbers = localeNumbers();
    if (!numbers.asciiDigits) {
        QString s = numbers.plain.toString(double(c.scaled) / 10000.0, 'f', 4);
        if (s.contains(numbers.point)) {
            while (s.endsWith(u'0')) s.chop(1);
            if (s.endsWith(numbers.point)) s.chop(numbers.point.size());
        }
        return s;
    }
    const bool negative = c.scaled < 0;
    std::uint64_t units = negative ? 0 - std::uint64_t(c.scaled) : std::uint64_t(c.scaled);
    // Written backwards from the last decimal that is not zero.
    char16_t text[32];
    char16_t* end = text + 32;
    char16_t* p = end;
    unsigned decimals = unsigned(units % 10000);
    units /= 10000;
    if (decimals != 0) {
        int digits = 4;
        while (decimals % 10 == 0) {
            decimals /= 10;
            --digits;
        }
        for (; digits > 0; --digits) {
            *--p = char16_t(u'0' + decimals % 10);
            decimals /= 10;
        }
        *--p = numbers.point.front().unicode();
    }
    do {
        *--p = char16_t(u'0' + units % 10);
        units /= 10;
    } while (units != 0);
    if (negative) *--p = u'-';
    return QString(reinterpret_cast<const QChar*>(p), end - p);
}

} // namespace

bool readLocaleNumber(const QString& text, double& out) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    bool ok = false;
    QLocale locale;
    out = locale.toDouble(t, &ok);
    if (ok) return true;
    // The C form is accepted too, as the platform accepts "1.5" with a comma locale only when the
    // point cannot be a group separator; here a single point followed by other than three digits.
    out = QLocale::c().toDouble(t, &ok);
    if (ok && locale.groupSeparator() == QStringLiteral(".")) {
        const qsizetype dot = t.indexOf(u'.');
        if (dot >= 0 && t.size() - dot - 1 == 3) ok = false;
    }
    return ok;
}

bool readLocaleDate(const QString& text, QDateTime& out) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    // Every form read below is numeric: day, month and year with a separator, an optional time.
    // Texts of any other shape are turned away before the costlier format parsing.
    static const QRegularExpression shape(QStringLiteral(
        "^\\d{1,4}[-/.]\\d{1,2}[-/.]\\d{1,4}([ T]\\d{1,2}:\\d{2}(:\\d{2}(\\.\\d+)?)?( ?[AaPp][Mm])?)?(Z|[+-]\\d{2}:?\\d{2})?$"));
    if (!shape.match(t).hasMatch()) return false;
    const QLocale locale;
    // Day-first forms of the regional settings, then ISO.
    static const char* const dateFormats[] = {"d/M/yyyy", "d/M/yy", "d-M-yyyy", "d-M-yy", "d.M.yyyy",
                                              "yyyy-M-d", "yyyy/M/d"};
    static const char* const timeFormats[] = {"", " H:mm", " H:mm:ss", " h:mm AP", " h:mm:ss AP"};
    QStringList formats;
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    for (const char* d : dateFormats) {
        for (const char* tm : timeFormats) formats << QString::fromLatin1(d) + QString::fromLatin1(tm);
    }
    formats.prepend(shortFormat);
    if (locale.dateFormat(QLocale::ShortFormat).startsWith(u'M')) {
        formats.prepend(QStringLiteral("M/d/yyyy"));
    }
    for (const QString& f : formats) {
        QDateTime dt = QDateTime::fromString(t, f);
        if (dt.isValid()) {
            const QDate d = dt.date();
            if (f.contains(QStringLiteral("yy")) && !f.contains(QStringLiteral("yyyy")) && d.year() < 1930) {
                dt = dt.addYears(100);
            }
            out = dt;
            return true;
        }
        const QDate date = QDate::fromString(t, f);
        if (date.isValid()) {
            out = QDateTime(date, QTime(0, 0));
            return true;
        }
    }
    const QDateTime iso = QDateTime::fromString(t, Qt::ISODate);
    if (iso.isValid()) {
        out = iso;
        return true;
    }
    return false;
}

QString writeLocaleNumber(double value) {
    const LocaleNumbers& numbers = localeNumbers();
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        return numbers.asciiDigits ? QString::number(qint64(value))
                                   : numbers.plain.toString(qint64(value));
    }
    if (numbers.asciiDigits) {
        // The shortest digits that read back as the value: when they are 15 or fewer and need
        // no exponent, they are what the formatter writes at 15 digits (a grid or an export
        // writes a number per row, and the formatter costs as much as the rest of the cell).
        char digits[32];
        const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
        int significant = 0;
        bool plain = error == std::errc();
        bool leading = true;
        for (const char* p = digits; plain && p < end; ++p) {
            if (*p >= '1' && *p <= '9') leading = false;
            if (*p >= '0' && *p <= '9') {
                if (!leading) ++significant;
            } else {
                plain = *p == '.' || (*p == '-' && p == digits);
            }
        }
        if (plain && significant <= 15) {
            QString s(qsizetype(end - digits), Qt::Uninitialized);
            QChar* d = s.data();
            for (const char* p = digits; p < end; ++p)
                *d++ = *p == '.' ? numbers.point.front() : QChar(char16_t(*p));
            return s;
        }
    }
    return numbers.plain.toString(value, 'g', 15);
}

QString writeLocaleDate(const QDate& date, const QTime& time) {
    // Whether the regional settings write the month first, kept until the default locale changes.
    thread_local QLocale checked = QLocale::c();
    thread_local bool monthFirst = false;
    const QLocale current;
    if (current != checked) {
        checked = current;
        monthFirst = current.dateFormat(QLocale::ShortFormat).startsWith(u'M');
    }
    const bool withTime = time.isValid() && time != QTime(0, 0);
    const int year = date.year();
    if (year < 1000 || year > 9999) {
        QString s = date.toString(monthFirst ? QStringLiteral("M/d/yyyy") : QStringLiteral("dd/MM/yyyy"));
        if (withTime) s += u' ' + time.toString(QStringLiteral("HH:mm:ss"));
        return s;
    }
    // Digits written directly: a grid or an export writes a date per row, and the general
    // formatter costs as much as the rest of the cell.
    char16_t out[19];
    int n = 0;
    auto two = [&](int v, bool pad) {
        if (pad || v >= 10) out[n++] = char16_t(u'0' + v / 10);
        out[n++] = char16_t(u'0' + v % 10);
    };
    if (monthFirst) {
        two(date.month(), false);
        out[n++] = u'/';
        two(date.day(), false);
    } else {
        two(date.day(), true);
        out[n++] = u'/';
        two(date.month(), true);
    }
    out[n++] = u'/';
    two(year / 100, true);
    two(year % 100, true);
    if (withTime) {
        out[n++] = u' ';
        two(time.hour(), true);
        out[n++] = u':';
        two(time.minute(), true);
        out[n++] = u':';
        two(time.second(), true);
    }
    return QString(reinterpret_cast<const QChar*>(out), n);
}

double leadingNumber(const QString& text) {
    // Val() skips blanks, reads an optional sign, digits, one point and an exponent.
    QString digits;
    int i = 0;
    const int n = int(text.size());
    auto skipBlanks = [&] {
        while (i < n && (text[i] == u' ' || text[i] == u'\t')) ++i;
    };
    skipBlanks();
    if (i < n && (text[i] == u'-' || text[i] == u'+')) digits += text[i++];
    bool seenDigit = false, seenPoint = false;
    while (i < n) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            seenDigit = true;
        } else if (c == u'.' && !seenPoint) {
            digits += c;
            seenPoint = true;
        } else if (c == u' ' || c == u'\t') {
            // Val ignores blanks inside the number.
        } else {
            break;
        }
        ++i;
    }
    if (!seenDigit) return 0.0;
    if (i < n && (text[i] == u'E' || text[i] == u'e')) {
        QString exponent = QStringLiteral("e");
        int j = i + 1;
        if (j < n && (text[j] == u'-' || text[j] == u'+')) exponent += text[j++];
        bool expDigit = false;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) {
            exponent += text[j++];
            expDigit = true;
        }
        if (expDigit) digits += exponent;
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(digits, &ok);
    return ok ? v : 0.0;
}

bool Variant::isNumeric() const {
    switch (type()) {
    case Type::Integer:
    case Type::Double:
    case Type::Currency:
    case Type::Boolean:
    case Type::Empty: return true;
    case Type::Text: {
        double d;
        return readLocaleNumber(std::get<QString>(value_), d);
    }
    default: return false;
    }
}

QString Variant::toString() const {
    switch (type()) {
    case Type::Empty: return {};
    case Type::Null: raiseError(ErrorNumber::InvalidUseOfNull);
    case Type::Text: return std::get<QString>(value_);
    case Type::Integer: return QString::number(std::get<std::int64_t>(value_));
    case Type::Double: return writeLocaleNumber(std::get<double>(value_));
    case Type::Currency: return writeLocaleCurrency(std::get<Currency>(value_));
    case Type::Date: {
        const QDateTime& dt = std::get<QDateTime>(value_);
        return writeLocaleDate(dt.date(), dt.time());
    }
    case Type::Boolean: return std::get<bool>(value_) ? QStringLiteral("Verdadero") : QStringLiteral("Falso");
    }
    return {};
}

QString Variant::toDisplayString() const {
    return isNull() ? QString() : toString();
}

double Variant::toDouble() const {
    switch (type()) {
    case Type::Empty: return 0.0;
    case Type::Null: raiseError(ErrorNumber::InvalidUseOfNull);
    case Type::Text: {
        double d = 0;
        if (!readLocaleNumber(std::get<QString>(value_), d)) raiseError(ErrorNumber::TypeMismatch);
        return d;
    }
    case Type::Integer: return double(std::get<std::int64_t>(value_));
    case Type::Double: return std::get<double>(value_);
    case Type::Currency: return std::get<Currency>(value_).toDouble();
    case Type::Date: {
        // Days since 30/12/1899, as the platform counts dates.
        const QDateTime dt = std::get<QDateTime>(value_);
        const QDateTime base(QDate(1899, 12, 30), QTime(0, 0), dt.timeSpec());
        return double(base.msecsTo(dt)) / 86400000.0;
    }
    case Type::Boolean: return std::get<bool>(value_) ? -1.0 : 0.0;
    }
    return 0.0;
}

std::int64_t Variant::toInt64() const {
    if (type() == Type::Integer) return std::get<std::int64_t>(value_);
    const double d = toDouble();
    const double r = std::nearbyint(d); // the default rounding mode rounds halves to even
    if (!std::isfinite(r) || std::fabs(r) > 9.2e18) raiseError(ErrorNumber::Overflow);
    return std::int64_t(r);
}

Currency Variant::toCurrency() const {
    if (type() == Type::Currency) return std::get<Currency>(value_);
    return Currency::fromDouble(toDouble());
}

bool Variant::toBool() const {
    switch (type()) {
    case Type::Boolean: return std::get<bool>(value_);
    case Type::Text: {
        const QString t = std::get<QString>(value_).trimmed();
        if (t.compare(QStringLiteral("Verdadero"), Qt::CaseInsensitive) == 0 ||
            t.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QStringLiteral("Falso"), Qt::CaseInsensitive) == 0 ||
            t.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
            return false;
        return toDouble() != 0.0;
    }
    default: return toDouble() != 0.0;
    }
}

QDateTime Variant::toDateTime() const {
    switch (type()) {
    case Type::Date: return std::get<QDateTime>(value_);
    case Type::Null: raiseError(ErrorNumber::InvalidUseOfNull);
    case Type::Text: {
        QDateTime dt;
        if (!readLocaleDate(std::get<QString>(value_), dt)) raiseError(ErrorNumber::TypeMismatch);
        return dt;
    }
    default: {
        const double days = toDouble();
        const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
        return base.addMSecs(qint64(std::llround(days * 86400000.0)));
    }
    }
}

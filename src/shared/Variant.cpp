#include "Variant.h"

#include "RuntimeError.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

Currency Currency::fromDouble(double value) {
    const double scaled = std::nearbyint(value * 10000.0);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 9.2e18) raiseError(ErrorNumber::Overflow);
    return Currency{std::int64_t(scaled)};
}

namespace {

// The default locale without group separators. Setting the option copies the locale's data, so
// the result is kept until the default locale changes: the grid formats numbers cell by cell.
const QLocale& plainLocale() {
    thread_local QLocale base;
    thread_local QLocale plain = [] {
        QLocale l;
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l;
    }();
    const QLocale current;
    if (current != base) {
        base = current;
        plain = current;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
    }
    return plain;
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
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        return plainLocale().toString(qint64(value));
    }
    return plainLocale().toString(value, 'g', 15);
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
    QString s = date.toString(monthFirst ? QStringLiteral("M/d/yyyy") : QStringLiteral("dd/MM/yyyy"));
    if (time.isValid() && time != QTime(0, 0)) s += u' ' + time.toString(QStringLiteral("HH:mm:ss"));
    return s;
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
    case Type::Currency: {
        const Currency c = std::get<Currency>(value_);
        const QLocale& locale = plainLocale();
        QString s = locale.toString(double(c.scaled) / 10000.0, 'f', 4);
        // The platform drops trailing zeros of a currency.
        const QString point = locale.decimalPoint();
        if (s.contains(point)) {
            while (s.endsWith(u'0')) s.chop(1);
            if (s.endsWith(point)) s.chop(point.size());
        }
        return s;
    }
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

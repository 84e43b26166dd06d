#include "SqlDialect.h"

#include <QDate>
#include <QTime>
#include <vector>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'@' || c == u'#';
}

bool isIdentChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Reads 1 to `maxDigits` decimal digits at `i`.
bool readNumber(const QString& s, qsizetype& i, int minDigits, int maxDigits, int& out) {
    int digits = 0;
    out = 0;
    while (i < s.size() && digits < maxDigits && s[i].unicode() >= '0' && s[i].unicode() <= '9') {
        out = out * 10 + (s[i].unicode() - '0');
        ++i;
        ++digits;
    }
    return digits >= minDigits;
}

// A Jet date literal "#d/m/yyyy#" or "#d/m/yyyy h:mm[:ss] [AM|PM]#" starting at `start` (the "#").
// Returns the length of the literal, 0 when there is none.
qsizetype readJetDate(const QString& s, qsizetype start, QDate& date, QTime& time, bool& hasTime) {
    qsizetype i = start + 1;
    int day = 0, month = 0, year = 0;
    if (!readNumber(s, i, 1, 2, day) || i >= s.size() || s[i] != u'/') return 0;
    ++i;
    if (!readNumber(s, i, 1, 2, month) || i >= s.size() || s[i] != u'/') return 0;
    ++i;
    if (!readNumber(s, i, 4, 4, year)) return 0;
    hasTime = false;
    time = QTime(0, 0);
    if (i < s.size() && s[i] == u' ') {
        qsizetype j = i;
        while (j < s.size() && s[j] == u' ')
            ++j;
        int hour = 0, minute = 0, second = 0;
        if (readNumber(s, j, 1, 2, hour) && j < s.size() && s[j] == u':') {
            ++j;
            if (!readNumber(s, j, 2, 2, minute)) return 0;
            if (j < s.size() && s[j] == u':') {
                ++j;
                if (!readNumber(s, j, 2, 2, second)) return 0;
            }
            qsizetype k = j;
            while (k < s.size() && s[k] == u' ')
                ++k;
            const QString rest = s.mid(k, 2).toUpper();
            if (rest == u"AM"_s || rest == u"PM"_s) {
                if (hour < 1 || hour > 12) return 0;
                if (rest == u"PM"_s && hour != 12) hour += 12;
                if (rest == u"AM"_s && hour == 12) hour = 0;
                j = k + 2;
            }
            time = QTime(hour, minute, second);
            if (!time.isValid()) return 0;
            hasTime = true;
            i = j;
        }
        while (i < s.size() && s[i] == u' ')
            ++i;
    }
    if (i >= s.size() || s[i] != u'#') return 0;
    date = QDate(year, month, day);
    if (!date.isValid()) return 0;
    return i + 1 - start;
}

// The word (letters, digits, "_") at `i`, or empty.
QString wordAt(const QString& s, qsizetype i) {
    if (i >= s.size() || !isIdentChar(s[i])) return {};
    if (i > 0 && isWordChar(s[i - 1])) return {};
    qsizetype j = i;
    while (j < s.size() && isIdentChar(s[j]))
        ++j;
    return s.mid(i, j - i);
}

qsizetype skipSpaces(const QString& s, qsizetype i) {
    while (i < s.size() && s[i].isSpace())
        ++i;
    return i;
}

// "SELECT [DISTINCT|ALL] TOP n" at `i` (the S of SELECT). On a match, `keep` is the text to keep
// (SELECT and its quantifier), `limit` the row count and the result the length matched.
qsizetype readSelectTop(const QString& s, qsizetype i, QString& keep, QString& limit) {
    const QString select = wordAt(s, i);
    if (select.compare(u"SELECT"_s, Qt::CaseInsensitive) != 0) return 0;
    qsizetype j = i + select.size();
    if (j >= s.size() || !s[j].isSpace()) return 0;
    j = skipSpaces(s, j);
    qsizetype keepEnd = i + select.size();
    QString word = wordAt(s, j);
    if (word.compare(u"DISTINCT"_s, Qt::CaseInsensitive) == 0 ||
        word.compare(u"ALL"_s, Qt::CaseInsensitive) == 0) {
        keepEnd = j + word.size();
        j = skipSpaces(s, j + word.size());
        word = wordAt(s, j);
    }
    if (word.compare(u"TOP"_s, Qt::CaseInsensitive) != 0) return 0;
    j = skipSpaces(s, j + word.size());
    const bool paren = j < s.size() && s[j] == u'(';
    if (paren) j = skipSpaces(s, j + 1);
    const qsizetype numberStart = j;
    while (j < s.size() && s[j].unicode() >= '0' && s[j].unicode() <= '9')
        ++j;
    if (j == numberStart) return 0;
    limit = s.mid(numberStart, j - numberStart);
    if (paren) {
        j = skipSpaces(s, j);
        if (j >= s.size() || s[j] != u')') return 0;
        ++j;
    }
    if (j < s.size() && isIdentChar(s[j])) return 0;
    // TOP n PERCENT and WITH TIES have no LIMIT form: left for the database to refuse.
    const qsizetype after = skipSpaces(s, j);
    const QString next = wordAt(s, after);
    if (next.compare(u"PERCENT"_s, Qt::CaseInsensitive) == 0 ||
        next.compare(u"WITH"_s, Qt::CaseInsensitive) == 0)
        return 0;
    keep = s.mid(i, keepEnd - i);
    return j - i;
}

// "dbo." or "[dbo]." at `i`, as the owner part of a name.
bool isOwnerPrefix(const QString& s, qsizetype i) {
    if (i > 0 && (isWordChar(s[i - 1]) || s[i - 1] == u'.')) return false;
    if (s[i] == u'[') return s.mid(i, 6).compare(u"[dbo]."_s, Qt::CaseInsensitive) == 0;
    return s.mid(i, 4).compare(u"dbo."_s, Qt::CaseInsensitive) == 0;
}

struct PendingLimit {
    int depth;
    QString rows;
};

// Appends " LIMIT n" to `out`, before the blanks it ends with.
void appendLimit(QString& out, const QString& rows) {
    qsizetype end = out.size();
    while (end > 0 && out[end - 1].isSpace())
        --end;
    const QString trailing = out.mid(end);
    out.truncate(end);
    out += u" LIMIT "_s + rows + trailing;
}

void flushLimits(QString& out, std::vector<PendingLimit>& pending, int depth) {
    while (!pending.empty() && pending.back().depth >= depth) {
        appendLimit(out, pending.back().rows);
        pending.pop_back();
    }
}

// PostgreSQL keeps unquoted names in lower case, and the demo's tables are made that way: a
// quoted name of the suite (bracketed or in double quotes, letter case ignored where the suite
// comes from) is written in lower case to name the same object.
QString quotedName(Dialect dialect, QString name) {
    if (dialect == Dialect::PostgreSQL) name = name.toLower();
    name.replace(u"\""_s, u"\"\""_s);
    return u'"' + name + u'"';
}

// SQL Server's functions that PostgreSQL names otherwise, with the text that replaces each name.
struct FunctionName {
    QStringView from;
    QStringView to;
};
constexpr FunctionName postgresFunctions[] = {
    {u"ISNULL", u"COALESCE"}, {u"LEN", u"LENGTH"}, {u"GETDATE", u"LOCALTIMESTAMP"}};

// A function call at `i` that PostgreSQL names otherwise: its replacement and the length matched
// (with "GETDATE()" its empty parentheses, LOCALTIMESTAMP taking none).
qsizetype readFunction(const QString& s, qsizetype i, QString& replacement) {
    const QString word = wordAt(s, i);
    if (word.isEmpty()) return 0;
    const qsizetype open = skipSpaces(s, i + word.size());
    if (open >= s.size() || s[open] != u'(') return 0;
    if (i > 0 && s[i - 1] == u'.') return 0; // a column or a schema's function
    for (const FunctionName& f : postgresFunctions) {
        if (word.compare(f.from, Qt::CaseInsensitive) != 0) continue;
        replacement = f.to.toString();
        if (f.from == u"GETDATE") {
            const qsizetype close = skipSpaces(s, open + 1);
            if (close >= s.size() || s[close] != u')') return 0;
            return close + 1 - i;
        }
        return word.size();
    }
    return 0;
}

QString translate(Dialect dialect, const QString& s) {
    const bool postgres = dialect == Dialect::PostgreSQL;
    // SQLite and PostgreSQL share the steps for TOP, brackets and owners.
    const bool sqlite = dialect == Dialect::SQLite || postgres;
    QString out;
    out.reserve(s.size() + 16);
    std::vector<PendingLimit> pending;
    int depth = 0;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c == u'\'' || c == u'"') {
            // A quoted literal or name, copied whole; a doubled quote stays inside.
            qsizetype j = i + 1;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = std::min(n, j + 1);
            if (postgres && c == u'"' && j < n) {
                out += quotedName(dialect, s.mid(i + 1, j - i - 1).replace(u"\"\""_s, u"\""_s));
            } else {
                out += QStringView(s).mid(i, end - i);
            }
            i = end;
            continue;
        }
        if (sqlite && (c == u'd' || c == u'D' || c == u'[') && isOwnerPrefix(s, i)) {
            // SQLite has no owners: the suite's "dbo." would name an attached database there, and
            // PostgreSQL keeps the tables in its own default schema.
            i = s.indexOf(u'.', i) + 1;
            continue;
        }
        if (c == u'[' && sqlite) {
            const qsizetype close = s.indexOf(u']', i + 1);
            if (close > i) {
                out += quotedName(dialect, s.mid(i + 1, close - i - 1));
                i = close + 1;
                continue;
            }
        }
        if (c == u'#' && (i == 0 || !isWordChar(s[i - 1]))) {
            QDate date;
            QTime time;
            bool hasTime = false;
            const qsizetype len = readJetDate(s, i, date, time, hasTime);
            if (len > 0) {
                if (sqlite) {
                    out += u'\'' + date.toString(u"yyyy-MM-dd"_s);
                } else {
                    out += u'\'' + date.toString(u"yyyyMMdd"_s);
                }
                if (hasTime) out += u' ' + time.toString(u"HH:mm:ss"_s);
                out += u'\'';
                i += len;
                continue;
            }
        }
        if (postgres && isIdentChar(c)) {
            QString replacement;
            const qsizetype len = readFunction(s, i, replacement);
            if (len > 0) {
                out += replacement;
                i += len;
                continue;
            }
        }
        if (sqlite && (c == u's' || c == u'S')) {
            QString keep, rows;
            const qsizetype len = readSelectTop(s, i, keep, rows);
            if (len > 0) {
                out += keep;
                pending.push_back({depth, rows});
                i += len;
                continue;
            }
        }
        if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            flushLimits(out, pending, depth);
            if (depth > 0) --depth;
        } else if (c == u';') {
            flushLimits(out, pending, depth);
        }
        out += c;
        ++i;
    }
    flushLimits(out, pending, 0);
    return out;
}

} // namespace

QString SqlDialect::catalogName(Dialect dialect, const QString& written) {
    const QString name = written.trimmed();
    if (name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"'))
        return name.mid(1, name.size() - 2).replace(u"\"\""_s, u"\""_s);
    const bool bracketed = name.size() >= 2 && name.startsWith(u'[') && name.endsWith(u']');
    const QString bare = bracketed ? name.mid(1, name.size() - 2) : name;
    return dialect == Dialect::PostgreSQL ? bare.toLower() : bare;
}

QString SqlDialect::toDriverSql(Dialect dialect, const QString& statement) {
    if (dialect == Dialect::Oracle) return statement;
    return translate(dialect, statement);
}

} // namespace ado

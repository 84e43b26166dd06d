#include "ScriptRunner.h"

#include "PlatformText.h"
#include "ScriptTarget.h"

#include <array>
#include <cstdint>
#include <limits>

using namespace Qt::StringLiterals;
using platformtext::replaceNoCase;
using platformtext::trimBlanks;

namespace {

constexpr auto CI = Qt::CaseInsensitive;

// A statement begins wherever one of these occurs, also inside a longer word or a literal.
constexpr std::array<QStringView, 11> keywords = {
    u"INSERT ",         u"DELETE ", u"UPDATE ",  u"CREATE ",      u"DROP ",    u"ALTER ",
    u"SET TRANSACTION", u"COMMIT",  u"ROLLBACK", u"IF NOT EXIST", u"IF EXIST",
};

// A keyword is found only at a 1-based position of the remaining script below this mark.
constexpr qsizetype noKeyword = 1999999;

// DB_S_NORESULT (0x40EC9): the provider's note that a statement returned no rows, not a failure.
constexpr long noResultNote = 265929;

// Finds keywords in the normalised script as the runner consumes it from the front. The next
// occurrence of each keyword is remembered until the runner passes it, so a long script is read
// once per keyword instead of once per statement.
class KeywordScanner {
public:
    explicit KeywordScanner(const QString& text) : text_(text) { next_.fill(unknown); }

    // The first index >= from at which a keyword occurs wholly inside the remaining script
    // [base, limit) and before the no-keyword mark counted from base; -1 when there is none.
    qsizetype find(qsizetype from, qsizetype base, qsizetype limit) {
        qsizetype best = -1;
        for (std::size_t k = 0; k < keywords.size(); ++k) {
            if (next_[k] != none && next_[k] < from)
                next_[k] = text_.indexOf(keywords[k], from, CI);
            const qsizetype at = next_[k];
            if (at < 0 || at + keywords[k].size() > limit || at - base + 1 >= noKeyword) continue;
            if (best < 0 || at < best) best = at;
        }
        return best;
    }

private:
    static constexpr qsizetype unknown = -2;
    static constexpr qsizetype none = -1;
    const QString& text_;
    std::array<qsizetype, keywords.size()> next_;
};

void runStatement(const QString& statement, long& recordsAffected, ScriptTarget& target,
                  const StatementTranslator& translate) {
    if (statement.compare(u"SET TRANSACTION"_s, CI) == 0) return target.BeginTrans();
    if (statement.compare(u"COMMIT"_s, CI) == 0) return target.CommitTrans();
    if (statement.compare(u"ROLLBACK"_s, CI) == 0) return target.RollbackTrans();

    QString sql = translate(statement);
    FiltraSentenciaSQL(sql);
    if (trimBlanks(sql).isEmpty()) return;
    const long rows = target.Execute(sql);
    // The caller's count is a 32-bit number.
    const std::int64_t sum = std::int64_t(recordsAffected) + rows;
    if (sum > std::numeric_limits<std::int32_t>::max() ||
        sum < std::numeric_limits<std::int32_t>::min())
        platformtext::refuse(ErrorNumber::Overflow,
                             u"la cantidad de filas afectadas pasa de 32 bits"_s);
    recordsAffected = long(sum);
}

} // namespace

QString FiltraSentenciaSQL(QString& statement) {
    if (statement.contains(u"SET NOCOUNT"_s, CI) || statement.contains(u"IF NOT EXIST"_s, CI))
        statement = QString();
    return statement;
}

void normalizeScript(QString& script) {
    const QString crlf = u"\r\n"_s;
    script = replaceNoCase(script, u"SET NOCOUNT ON"_s, QString());
    script = replaceNoCase(script, u"SET NOCOUNT OFF"_s, QString());
    script = replaceNoCase(script, u" GO "_s, u" "_s);
    // The second pass finds nothing the first one left; it is kept as the suite's runner has it.
    script = replaceNoCase(script, crlf + u"GO "_s, u" "_s);
    script = replaceNoCase(script, crlf + u"GO "_s, u" "_s);
    script = replaceNoCase(script, crlf + u"GO"_s + crlf, u" "_s);
    script.replace(crlf, u" "_s);
    script.replace(u'\r', u' ');
    script = replaceNoCase(script, u"BEGIN TRANSACTION"_s, u"SET TRANSACTION"_s);
    script = replaceNoCase(script, u"BEGIN TRANS"_s, u"SET TRANSACTION"_s);
    script = replaceNoCase(script, u"COMMIT TRANSACTION"_s, u"COMMIT"_s);
    script = replaceNoCase(script, u"COMMIT TRANS"_s, u"COMMIT"_s);
    script = replaceNoCase(script, u"ROLLBACK TRANSACTION"_s, u"ROLLBACK"_s);
    script = replaceNoCase(script, u"ROLLBACK TRANS"_s, u"ROLLBACK"_s);
}

void EjecutaScriptSQL(QString& script, long& RecordsAffected, ScriptTarget& target,
                      const StatementTranslator& translate) {
    normalizeScript(script);

    // The script is consumed through offsets into its normalised text: the remaining script is
    // text[base, limit), and the caller's variable receives it when the run ends, normally or
    // by an error.
    const QString text = script;
    KeywordScanner scanner(text);
    qsizetype base = 0;
    qsizetype limit = text.size();
    const auto remaining = [&] { return text.mid(base, limit - base); };

    // Each statement runs from its keyword to the character before the next keyword, and the
    // rest of the script is taken right after it. Text before the first keyword (blanks, a
    // comment, a SELECT) is not a statement and is passed over, as a script without any keyword
    // is never executed; cutting every statement at its own keyword means no part of a
    // statement is lost or run twice, whatever stands before the first one.
    try {
        for (;;) {
            const qsizetype start = scanner.find(base, base, limit);
            if (start < 0) break;
            const qsizetype next = scanner.find(start + 1, base, limit);
            const qsizetype end = next < 0 ? limit : next;
            runStatement(trimBlanks(text.mid(start, end - start)), RecordsAffected, target,
                         translate);

            base = end;
            while (limit > base && text[limit - 1] == u' ')
                --limit;
            while (base < limit && text[base] == u' ')
                ++base;
        }
    } catch (...) {
        script = remaining();
        throw;
    }
    script = remaining();

    if (target.ErrorCount() == 1 && target.ErrorNumber(0) == noResultNote) target.ClearErrors();
}

// Feeds arbitrary text to the statement rewriters and the script runner. Run-time errors are
// their documented way to refuse a text; anything else (a crash, a sanitizer report, a broken
// property below) is a fault.
//
// The first byte chooses the mode: bit 0 administrator, bit 1 an Oracle connection string,
// bit 2 the locale (day-first or month-first), bit 3 UTF-8 instead of Latin-1 for the rest,
// bit 4 the Oracle translation inside the script runner, bit 5 the text repeated past 20,000
// characters (the longest token of a WHERE clause), bit 6 as well past 33,000 (the longest
// clause).
#include "data/OracleDialect.h"
#include "data/ScriptRunner.h"
#include "data/ScriptTarget.h"
#include "data/Synonyms.h"
#include "shared/RuntimeError.h"
#include "shared/Util.h"

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// Accepts everything; checks that each executed statement is a piece of the normalised script
// that begins with a statement keyword, which holds whenever the statements are not translated.
class CheckingTarget : public ScriptTarget {
public:
    explicit CheckingTarget(const QString* normalised) : normalised_(normalised) {}

    void BeginTrans() override {}
    void CommitTrans() override {}
    void RollbackTrans() override {}
    long Execute(const QString& statement) override {
        if (normalised_) {
            static const std::array<QString, 11> keywords = {
                u"INSERT "_s,  u"DELETE "_s,      u"UPDATE "_s,         u"CREATE "_s,
                u"DROP "_s,    u"ALTER "_s,       u"SET TRANSACTION"_s, u"COMMIT"_s,
                u"ROLLBACK"_s, u"IF NOT EXIST"_s, u"IF EXIST"_s};
            bool keyword = false;
            for (const QString& k : keywords)
                keyword = keyword || statement.startsWith(k, Qt::CaseInsensitive);
            // A keyword whose trailing blank was trimmed off the statement's end.
            for (const QString& k : keywords) {
                keyword = keyword || statement.compare(k.trimmed(), Qt::CaseInsensitive) == 0;
            }
            if (!keyword || !normalised_->contains(statement))
                fail("executed text is not a statement of the script");
        }
        return 1;
    }
    long ErrorCount() const override { return 1; }
    long ErrorNumber(long) const override { return 265929; }
    void ClearErrors() override {}

    [[noreturn]] static void fail(const char* why) {
        std::fprintf(stderr, "property broken: %s\n", why);
        std::abort();
    }

private:
    const QString* normalised_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QString text = (mode & 8) ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    if ((mode & 32) && !text.isEmpty()) {
        const qsizetype length = (mode & 64) ? 33000 : 20000;
        text = text.repeated(length / text.size() + 1);
    }
    const bool admin = mode & 1;
    const QString connection =
        (mode & 2) ? u"Provider=OraOLEDB.Oracle.1;Data Source=XE;"_s : u"PROVIDER=SQLOLEDB;"_s;
    QLocale::setDefault((mode & 4) ? QLocale(QLocale::English, QLocale::UnitedStates)
                                   : QLocale(QLocale::Spanish, QLocale::Argentina));
    const Util util;

    try {
        const QString oracle = ORACLE_Dicc(text, connection, util);
        if (!(mode & 2) && oracle != text.toUpper())
            CheckingTarget::fail("non-Oracle text not just upper-cased");
    } catch (const RuntimeError&) {
    }

    (void)SS_TSinonimos(text, admin);

    QString normalised = text;
    normalizeScript(normalised);
    const bool translated = mode & 16;
    CheckingTarget target(translated ? nullptr : &normalised);
    const StatementTranslator translate = [&](const QString& s) {
        return translated ? ORACLE_Dicc(s, connection, util) : s;
    };
    QString script = text;
    long records = 0;
    try {
        EjecutaScriptSQL(script, records, target, translate);
        if (!normalised.contains(script))
            CheckingTarget::fail("what is left is not part of the script");
    } catch (const RuntimeError&) {
    }
    return 0;
}

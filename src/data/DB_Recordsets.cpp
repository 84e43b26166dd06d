// Recordsets and commands: the one road by which the suite reads rows and runs statements on the
// shared connection, rewriting them for synonyms and the Oracle dialect on the way.
#include "DB_Dll.h"

#include "shared/Procedure.h"
#include "shared/Prompts.h"

#include <algorithm>
#include <iterator>

namespace {

bool isOracleAfterFirst(const QString& connectionString) {
    return connectionString.indexOf(QStringLiteral("ORACLE"), 0, Qt::CaseInsensitive) > 0;
}

void openOn(ado::Recordset& rs, const QString& source, const ConexionActiva& active, ado::Connection& shared,
            long cursorType, long lockType, long options) {
    if (const auto* text = std::get_if<QString>(&active)) {
        rs.Open(source, *text, cursorType, lockType, options);
    } else if (const auto* cnn = std::get_if<ado::Connection*>(&active); cnn && *cnn) {
        rs.Open(source, **cnn, cursorType, lockType, options);
    } else {
        rs.Open(source, shared, cursorType, lockType, options);
    }
}

} // namespace

void DB_Dll::CierraRecordset(ado::Recordset& LrcsTemp) {
    Procedure p(Handler::report(QStringLiteral("CierraRecordset")));
    // Going on after a failed state test closes all the same.
    if (p.value<bool>([&] { return LrcsTemp.State() != ado::adStateClosed; }, true)) {
        p.step([&] { LrcsTemp.Close(); });
    }
}

void DB_Dll::AbrirRecordset(QString& SentenciaSQL, ado::Recordset& Lrcs, const ConexionActiva& ConexionActiva,
                            long CursorType, long LockType, long Options, bool ConvOracle) {
    Procedure p(Handler::report(QStringLiteral("AbrirRecordset")));
    if (p.value<bool>([&] { return Lrcs.State() != ado::adStateClosed; }, true)) {
        p.step([&] { Lrcs.Close(); });
    }
    p.step([&] { SentenciaSQL = SS_TSinonimos(SentenciaSQL); });
    const bool oracle = p.value<bool>([&] { return isOracleAfterFirst(gCnn().ConnectionString()) && ConvOracle; }, true);
    if (oracle) {
        p.step([&] { openOn(Lrcs, ORACLE_Dicc(SentenciaSQL), ConexionActiva, gCnn(), CursorType, LockType, Options); });
    } else {
        p.step([&] { openOn(Lrcs, SentenciaSQL, ConexionActiva, gCnn(), CursorType, LockType, Options); });
    }
}

void DB_Dll::EjecutaConsultaSQL(QString& SentenciaSQL, long* RecordsAffected) {
    // The four codes an installation meets routinely (a table that is not there yet, a duplicate
    // row...) pass without a message; any other failure is shown. Nothing is retried.
    Procedure p([](const RuntimeError& e) {
        static const long quiet[] = {ado::adErrUnspecified, ado::adErrIntegrity, ado::adErrNoSuchTable,
                                     ado::adErrCommandText};
        if (std::find(std::begin(quiet), std::end(quiet), e.number()) == std::end(quiet)) {
            prompts().message(e.description(), QStringLiteral("Aviso al operador!!!"), Prompt::Buttons::Ok,
                              Prompt::Icon::Critical);
        }
        return OnFailure::Leave;
    });
    long ignored = 0;
    long& affected = RecordsAffected ? *RecordsAffected : ignored;
    p.step([&] {
        const QString marker = QStringLiteral("@ADMIN_");
        if (SentenciaSQL.contains(QStringLiteral("DELETE"), Qt::CaseInsensitive)) {
            if (SentenciaSQL.contains(marker, Qt::CaseInsensitive)) SentenciaSQL.remove(marker, Qt::CaseInsensitive);
        } else if (SentenciaSQL.contains(marker, Qt::CaseInsensitive)) {
            SentenciaSQL.remove(marker, Qt::CaseInsensitive);
        } else {
            SentenciaSQL = SS_TSinonimos(SentenciaSQL);
        }
    });
    if (p.left()) return;
    p.step([&] {
        if (gCnn().ConnectionString().contains(QStringLiteral("ORACLE"), Qt::CaseInsensitive)) {
            EjecutaScriptSQL(SentenciaSQL, affected);
        } else {
            gCnn().Execute(SentenciaSQL, &affected, -1);
        }
    });
}

void DB_Dll::QConsulta(QString&, const Variant&, QString&, QString&, const QString&, const Variant&) {}

void DB_Dll::QGridConsulta(QString&, QString&, QString&, const Variant&, const Variant&) {}

// Schema helpers: whether a table or a column exists, and adding a missing column.
#include "DB_Dll.h"

#include "shared/Procedure.h"

namespace {
bool sameName(const Variant& stored, const QString& wanted) {
    return stored.toDisplayString().trimmed().compare(wanted.trimmed(), Qt::CaseInsensitive) == 0;
}
} // namespace

bool DB_Dll::ExisteTablaDB(const QString& Tabla) {
    Procedure p(Handler::report(QStringLiteral("VerificaCampos")));
    std::unique_ptr<ado::Recordset> rs;
    p.step([&] { rs = gCnn().OpenSchema(ado::adSchemaTables); });
    if (p.left() || !rs) return false;
    if (p.value<bool>([&] { return rs->BOF(); }, false)) return false;
    while (!p.left() && !p.value<bool>([&] { return rs->Eof(); }, true)) {
        // An ignored failure of the comparison counts as a match.
        if (p.value<bool>([&] { return sameName(rs->Fields(QStringLiteral("TABLE_NAME")).Value(), Tabla); }, true)) {
            return !p.left();
        }
        p.step([&] { rs->MoveNext(); });
    }
    return false;
}

bool DB_Dll::ExisteCampoDB(const QString& Tabla, const QString& Campo) {
    Procedure p(Handler::report(QStringLiteral("VerificaCampos")));
    if (gProveedor.contains(QStringLiteral("ORACLE"), Qt::CaseInsensitive)) return true;
    std::unique_ptr<ado::Recordset> rs;
    p.step([&] { rs = gCnn().OpenSchema(ado::adSchemaColumns, {gDbName, QString(), Tabla, QString()}); });
    if (p.left() || !rs) return false;
    if (p.value<bool>([&] { return rs->BOF(); }, true)) return false;
    while (!p.left() && !p.value<bool>([&] { return rs->Eof(); }, true)) {
        if (p.value<bool>([&] { return sameName(rs->Fields(QStringLiteral("COLUMN_NAME")).Value(), Campo); }, false)) {
            return true;
        }
        p.step([&] { rs->MoveNext(); });
    }
    return false;
}

void DB_Dll::AddField(const QString& Tabla, const QString& Campo, const QString& Tipo, bool PermiteNulos,
                      const std::optional<Variant>& ValorDefault) {
    Procedure p(Handler::report(QStringLiteral("errAddField")));
    QString sql;
    p.step([&] {
        const QString nullPart = PermiteNulos ? QStringLiteral(" Null ") : QStringLiteral(" Not Null ");
        QString defaultPart;
        if (ValorDefault) {
            defaultPart = QStringLiteral(" CONSTRAINT DF_") + Tabla.trimmed() + u'_' + Campo.trimmed() +
                          QStringLiteral(" DEFAULT (") + ValorDefault->toString() + u')';
        }
        sql = QStringLiteral("ALTER TABLE dbo.") + Tabla + QStringLiteral(" ADD ") + Campo + u' ' + Tipo + nullPart +
              defaultPart;
    });
    p.step([&] { EjecutaConsultaSQL(sql); });
}

bool DB_Dll::VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar, const QString& Tipo,
                        bool PermiteNulos, const std::optional<Variant>& ValorDefault) {
    if (ExisteTablaDB(Tabla) && !ExisteCampoDB(Tabla, Campo) && Agregar) {
        AddField(Tabla, Campo, Tipo, PermiteNulos, ValorDefault);
    }
    return true;
}

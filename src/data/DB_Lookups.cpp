// Value lookups: one generated SELECT answering one question about a table.
#include "DB_Dll.h"

#include "shared/Procedure.h"

#include <QLocale>

namespace {

// A quote inside a searched text is doubled, so the value cannot end the literal early.
QString quoted(const QString& text) { return QString(text).replace(u'\'', QStringLiteral("''")); }

// A typed number as the statement needs it: the leading number of the text (12,5 reads as 12),
// written with a decimal point whatever the regional settings, so the statement stays valid SQL.
QString numberText(const QString& value) {
    const double v = leadingNumber(value);
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    return c.toString(v, 'g', 15).trimmed();
}

bool isNumberType(long t) { return t == 3 || t == 4 || t == 5; }

// The value of an aggregate column as a number: numbers as they are, texts by their leading
// number, Null or nothing as 0.
double aggregateNumber(const Variant& value) {
    switch (value.type()) {
    case Variant::Type::Integer:
    case Variant::Type::Double:
    case Variant::Type::Currency: return value.toDouble();
    case Variant::Type::Null:
    case Variant::Type::Empty: return 0.0;
    default: return leadingNumber(value.toString());
    }
}

long typeCode(const Variant& tipo) {
    if (tipo.isEmpty() || tipo.isNull() || !tipo.isNumeric()) return -1;
    return long(tipo.toInt64());
}

} // namespace

namespace {
Variant aggregate(DB_Dll& db, const QString& sql, const QString& column) {
    ado::Recordset rs;
    rs.Open(sql, db.gCnn(), ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
    Variant result;
    if (!rs.BOF()) {
        rs.MoveFirst();
        result = aggregateNumber(db.util().NullToEmpty(rs.Fields(column).Value()));
    }
    rs.Close();
    return result;
}
} // namespace

Variant DB_Dll::BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const Variant&,
                            const std::optional<QString>& Condicion) {
    QString sql = QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
    if (Condicion) sql += QStringLiteral(" WHERE ") + Condicion->trimmed();
    return aggregate(*this, sql, QStringLiteral("MAYOR"));
}

Variant DB_Dll::BuscaMinimo(const QString& QueTabla, const QString& QueCampo, const Variant&,
                            const std::optional<QString>& Condicion) {
    QString sql = QStringLiteral("SELECT MIN(") + QueCampo + QStringLiteral(") AS MENOR FROM ") + QueTabla;
    if (Condicion) sql += QStringLiteral(" WHERE ") + Condicion->trimmed();
    return aggregate(*this, sql, QStringLiteral("MENOR"));
}

Variant DB_Dll::BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo, const Variant&,
                                  const QString& Condicion) {
    QString sql = QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
    if (!Condicion.trimmed().isEmpty()) sql += QStringLiteral(" WHERE ") + Condicion;
    return aggregate(*this, sql, QStringLiteral("MAYOR"));
}

namespace {

// The comparison of the existence checks and of DatosTabla for the non-text types.
QString typedComparison(long tipo, const QString& f, const QString& v) {
    if (tipo == 7) return QStringLiteral(" WHERE ") + f + QStringLiteral(" = ") + v.trimmed() + u' ';
    if (isNumberType(tipo)) return QStringLiteral(" WHERE ") + f + QStringLiteral(" = ") + numberText(v);
    return QStringLiteral(" WHERE ") + f + QStringLiteral(" = ") + v;
}

QString existenceStatement(bool trimmedForm, const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                           long tipo, const QString& Condicion) {
    const QString prefix = !trimmedForm ? QStringLiteral("SELECT * FROM ")
                           : tipo == 8  ? QStringLiteral("SELECT TOP 1  * FROM ")
                                        : QStringLiteral("SELECT TOP 1 * FROM ");
    if (!Condicion.isEmpty()) {
        return prefix + Tabla +
               (Condicion.contains(QStringLiteral(" WHERE "), Qt::CaseInsensitive) ? QStringLiteral(" ")
                                                                                   : QStringLiteral(" WHERE ")) +
               Condicion;
    }
    if (tipo == 8) {
        return trimmedForm ? prefix + Tabla + QStringLiteral(" WHERE LTRIM(RTRIM(") + Campo + QStringLiteral(")) ='") +
                                 quoted(ValorBuscado.trimmed()) + u'\''
                           : prefix + Tabla + QStringLiteral(" WHERE ") + Campo + QStringLiteral(" ='") +
                                 quoted(ValorBuscado) + u'\'';
    }
    return prefix + Tabla + typedComparison(tipo, Campo, ValorBuscado);
}

} // namespace

bool DB_Dll::ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                           ado::Recordset* Lrcs, const Variant& TipoDato, const QString& Condicion) {
    Procedure p(Handler::abortRetryIgnore(QStringLiteral("Aviso al Operador")));
    bool result = false;
    QString sql;
    p.step([&] { sql = existenceStatement(true, Tabla, ValorBuscado, Campo, typeCode(TipoDato), Condicion); });
    p.step([&] { sql = SS_TSinonimos(sql); });
    if (!Lrcs) {
        ado::Recordset own;
        p.step([&] { own.Open(ORACLE_Dicc(sql), gCnn(), ado::adOpenForwardOnly, ado::adLockReadOnly, -1); });
        p.step([&] { result = !own.BOF(); });
        p.step([&] { if (own.State() != ado::adStateClosed) own.Close(); });
        return result;
    }
    p.step([&] { if (Lrcs->State() != ado::adStateClosed) Lrcs->Close(); });
    p.step([&] { Lrcs->Open(ORACLE_Dicc(sql), gCnn(), Lrcs->CursorType(), Lrcs->LockType(), -1); });
    p.step([&] { result = !Lrcs->BOF(); });
    return result;
}

bool DB_Dll::ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                             ado::Recordset* Lrcs, const Variant& TipoDato, const QString& Condicion, bool SoloLectura) {
    Procedure p(Handler::abortRetryIgnore(QStringLiteral("Aviso al Operador")));
    bool result = false;
    QString sql;
    p.step([&] { sql = existenceStatement(false, Tabla, ValorBuscado, Campo, typeCode(TipoDato), Condicion); });
    if (!Lrcs) {
        ado::Recordset own;
        p.step([&] { own.Open(sql, gCnn(), ado::adOpenForwardOnly, ado::adLockReadOnly, -1); });
        p.step([&] { result = !own.BOF(); });
        p.step([&] { if (own.State() != ado::adStateClosed) own.Close(); });
        return result;
    }
    p.step([&] { if (Lrcs->State() != ado::adStateClosed) Lrcs->Close(); });
    p.step([&] {
        if (SoloLectura) {
            Lrcs->Open(sql, gCnn(), ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
        } else {
            Lrcs->Open(sql, gCnn(), Lrcs->CursorType(), Lrcs->LockType(), -1);
        }
    });
    p.step([&] { result = !Lrcs->BOF(); });
    return result;
}

QString DB_Dll::DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                           const QString& Campo, const Variant& TipoDato, const QString& Condicion, bool UsaTrim) {
    Procedure p(Handler::abortRetryIgnore(QStringLiteral("Aviso al Operador")));
    QString result;
    QString sql;
    p.step([&] {
        const long tipo = typeCode(TipoDato);
        sql = QStringLiteral("SELECT TOP 1 * FROM ") + Tabla;
        if (tipo == 8) {
            sql += UsaTrim ? QStringLiteral(" WHERE LTRIM(RTRIM(") + Campo + QStringLiteral(")) ='") +
                                 quoted(ValorBuscado.trimmed()) + QStringLiteral("' ")
                           : QStringLiteral(" WHERE ") + Campo + QStringLiteral(" ='") + quoted(ValorBuscado.trimmed()) +
                                 QStringLiteral("' ");
        } else if (tipo == 7) {
            sql += QStringLiteral(" WHERE ") + Campo + QStringLiteral(" = #") + ValorBuscado.trimmed() + QStringLiteral("# ");
        } else {
            sql += typedComparison(tipo, Campo, ValorBuscado);
        }
        if (!Condicion.trimmed().isEmpty()) sql += QStringLiteral(" AND ") + Condicion;
    });
    ado::Recordset rs;
    p.step([&] {
        AbrirRecordset(sql, rs, {}, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });
    p.step([&] {
        if (rs.State() != ado::adStateClosed && !rs.BOF()) {
            result = util().NullToEmpty(rs.Fields(CampoDevuelto).Value()).toString();
        }
    });
    p.step([&] { CierraRecordset(rs); });
    return result;
}

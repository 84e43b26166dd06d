#include "SentenciaConsulta.h"

#include "shared/Util.h"
#include "shared/Variant.h"

#include <cmath>

namespace {

bool contiene(const QString& texto, QStringView parte) {
    return texto.contains(parte, Qt::CaseInsensitive);
}

bool esIgual(const QString& a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The statement with what stands between quotes (texts '...', names "..." and [...]) turned to
// blanks, keeping every position: a word found in the result belongs to the statement itself.
QString fueraDeComillas(const QString& sql) {
    QString result = sql;
    QChar cierre;
    bool dentro = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!dentro) {
            if (c == u'\'' || c == u'"' || c == u'[') {
                dentro = true;
                cierre = c == u'[' ? QChar(u']') : c;
            }
            continue;
        }
        // A doubled quote closes the text and opens it again: its inside stays blank.
        if (c == cierre)
            dentro = false;
        else
            result[i] = u' ';
    }
    return result;
}

bool contieneFuera(const QString& sql, QStringView parte) {
    return contiene(fueraDeComillas(sql), parte);
}

} // namespace

QString SentenciaConsulta::entreComillas(const QString& texto) {
    return QString(texto).replace(u'\'', QStringLiteral("''"));
}

QString SentenciaConsulta::ajustarWhere(const QString& where) {
    if (where.trimmed().size() > 1 && !where.startsWith(u'(')) {
        return QStringLiteral(" (") + where + QStringLiteral(") ");
    }
    return where;
}

long SentenciaConsulta::limiteFilas(const QString& topConsArt) {
    const double valor = std::nearbyint(leadingNumber(topConsArt));
    // A limit beyond a Long is no limit anyone means; it is treated as unset.
    if (valor == 0 || std::fabs(valor) > 2147483647.0) return 1000;
    return long(valor);
}

QString SentenciaConsulta::sentenciaDada(const QString& sql) {
    if (!contiene(sql, u"V_MA_ARTICULOS")) return sql;
    return Util().SubstituteText(sql, QStringLiteral("V_MA_ARTICULOS"),
                                 QStringLiteral("VT_MA_ARTICULOS"));
}

SentenciaConsulta::DeMascara SentenciaConsulta::sentenciaMascara(const MasksFile::Datos& mascara,
                                                                 long limite,
                                                                 const QString& campoBusqueda,
                                                                 const QString& where) {
    DeMascara result;
    result.campoBusqueda = campoBusqueda;
    if (result.campoBusqueda.isEmpty()) {
        if (!mascara.columnaBusqueda) return result;
        result.campoBusqueda = *mascara.columnaBusqueda;
    }
    QString tabla = mascara.tabla;
    QString condicion = mascara.condicion;
    if (condicion.trimmed().isEmpty() && !where.trimmed().isEmpty()) condicion = where;
    QString porDefecto;
    if (esIgual(tabla, u"VT_PROVEEDORES") || esIgual(tabla, u"VT_CLIENTES")) {
        porDefecto = QStringLiteral("Dada_De_Baja = 0");
    } else if (esIgual(tabla, u"V_MA_ARTICULOS")) {
        tabla = QStringLiteral("VT_MA_ARTICULOS");
        porDefecto = QStringLiteral("SUSPENDIDO = 0");
    }
    if (!porDefecto.isEmpty() && condicion.trimmed().isEmpty()) condicion = porDefecto;

    QString sql = QStringLiteral("SELECT TOP ") + QString::number(limite) + u' ' +
                  mascara.columnas + QStringLiteral(" FROM ") + tabla;
    if (!condicion.trimmed().isEmpty()) sql += QStringLiteral(" WHERE ") + condicion;
    if (!result.campoBusqueda.isEmpty()) sql += QStringLiteral(" ORDER BY ") + result.campoBusqueda;
    result.sentencia = sql;
    return result;
}

SentenciaConsulta::PorDefecto SentenciaConsulta::sentenciaPorDefecto(const QString& tabla,
                                                                     const QStringList& campos,
                                                                     long limite,
                                                                     const QString& campoBusqueda) {
    PorDefecto result;
    result.campoBusqueda = campoBusqueda;
    QString lista;
    bool alguno = false;
    for (const QString& campo : campos) {
        if (esIgual(campo, u"ID") || esIgual(campo, u"FECHAHORA_MODIFICACION") ||
            esIgual(campo, u"FECHAHORA_GRABACION")) {
            continue;
        }
        if (esIgual(campo, u"DESCRIPCION") || esIgual(campo, u"NOMBRE") ||
            esIgual(campo, u"DETALLE") || !alguno) {
            result.campoBusqueda = campo;
        }
        alguno = true;
        lista = campo + u',' + lista;
    }
    if (alguno) lista.chop(1);
    result.columnas = alguno ? lista : QStringLiteral(" * ");
    result.sentencia = QStringLiteral("SELECT TOP ") + QString::number(limite) + u' ' +
                       result.columnas + QStringLiteral(" FROM ") + tabla +
                       QStringLiteral(" ORDER BY ") + result.campoBusqueda;
    return result;
}

QString SentenciaConsulta::tablaDeSentencia(const QString& sql) {
    // 1-based positions, as the statement's own text functions count them.
    const qsizetype desde = sql.indexOf(u"from", 0, Qt::CaseInsensitive) + 1;
    const qsizetype inicio = desde + 4;
    const qsizetype espacio = sql.indexOf(u' ', std::max<qsizetype>(desde + 5, 1) - 1) + 1;
    if (espacio <= 0 || espacio < inicio) return sql.mid(inicio - 1).trimmed();
    return sql.mid(inicio - 1, espacio - inicio).trimmed();
}

SentenciaConsulta::Partes SentenciaConsulta::partesDe(const QString& sql,
                                                      const QString& sentenciaActual) {
    const qsizetype at = fueraDeComillas(sql).indexOf(u"order by", 0, Qt::CaseInsensitive);
    if (at < 0) return {sentenciaActual, QString()};
    return {sql.left(at), sql.mid(at)};
}

SentenciaConsulta::NuevaBusqueda SentenciaConsulta::nuevaBusquedaLista(const Partes& partes,
                                                                       const QString& campo,
                                                                       const QString& texto,
                                                                       bool usaLike) {
    NuevaBusqueda result;
    QString prefijo;
    if (contieneFuera(partes.base, u"stk_ma_articulos."))
        prefijo = QStringLiteral("stk_ma_articulos.");
    if (contieneFuera(partes.base, u"v_ma_articulos.")) prefijo = QStringLiteral("v_ma_articulos.");
    const QString union_ =
        contieneFuera(partes.base, u"where") ? QStringLiteral(" and ") : QStringLiteral(" where ");
    QString condicion;
    if (usaLike) {
        result.textoCaja = texto;
        condicion = QStringLiteral(" like '%") + entreComillas(texto) + QStringLiteral("%' ");
    } else {
        result.textoCaja = Util().ReplaceText(texto, QStringLiteral("*"), QStringLiteral("%"));
        condicion =
            QStringLiteral(" like '") + entreComillas(result.textoCaja) + QStringLiteral("%' ");
    }
    result.partes = {partes.base + union_ + prefijo + campo + condicion, partes.orden};
    result.sql = result.partes.base + result.partes.orden;
    return result;
}

SentenciaConsulta::NuevaBusqueda SentenciaConsulta::nuevaBusquedaArbol(const Partes& partes,
                                                                       const QString& texto) {
    NuevaBusqueda result;
    result.textoCaja = texto;
    const QString union_ =
        contieneFuera(partes.base, u"where") ? QStringLiteral(" and ") : QStringLiteral(" where ");
    result.partes = {partes.base + union_ + QStringLiteral("Descripcion like '%") +
                         entreComillas(texto) + QStringLiteral("%' "),
                     partes.orden};
    result.sql = result.partes.base + result.partes.orden;
    return result;
}

QString SentenciaConsulta::insertFaltante(const QString& fechaHora, const QString& idArticulo,
                                          const QString& descripcion, const QString& usuario) {
    return QStringLiteral(
               "INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) values('") +
           entreComillas(fechaHora) + QStringLiteral("','") +
           entreComillas(Util().FitToWidth(idArticulo, 25)) + QStringLiteral("','") +
           entreComillas(descripcion.trimmed()) + QStringLiteral("','") + entreComillas(usuario) +
           QStringLiteral("')");
}

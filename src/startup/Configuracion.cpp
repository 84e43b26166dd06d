// The installation's configuration table: one key at a time, and the settings loaded at start-up.
#include "ModGlobal.h"

#include "data/DB_Dll.h"
#include "data/PlatformText.h"
#include "shared/Procedure.h"
#include "shared/Util.h"

#include <cmath>

namespace ModGlobal {

using platformtext::trimBlanks;

QString LeerConfiguracion(const QString& Clave, QString& ValorAux) {
    // Only "ignore" goes on; every other answer gives up with an empty value.
    Procedure p([](const RuntimeError& e) {
        return gUtil().ReportError(e, {}, QStringLiteral("Cfg")) == 5 ? OnFailure::Next : OnFailure::Leave;
    });
    RunValues& v = run();
    QString result;
    QString sql;
    ado::Recordset rs;
    p.step([&] {
        if (trimBlanks(v.gTablaConfiguracion).isEmpty()) v.gTablaConfiguracion = QStringLiteral("TA_CONFIGURACION");
    });
    p.step([&] {
        sql = QStringLiteral("SELECT VALOR, valoraux FROM ") + v.gTablaConfiguracion + QStringLiteral(" WHERE CLAVE = '") +
              QString(trimBlanks(Clave)).replace(u'\'', QStringLiteral("''")) + u'\'';
    });
    p.step([&] {
        const QString key = trimBlanks(Clave);
        if (key.compare(QStringLiteral("[FECHA HASTA]"), Qt::CaseInsensitive) == 0 ||
            key.compare(QStringLiteral("[FECHA DESDE]"), Qt::CaseInsensitive) == 0) {
            sql = sql.toUpper();
        }
    });
    p.step([&] { gDB().AbrirRecordset(sql, rs, {}, 0, 1, -1, true); });
    const bool none = p.value<bool>([&] { return rs.BOF(); }, true);
    if (p.left()) return {};
    if (none) {
        p.step([&] {
            result = QStringLiteral(" ");
            ValorAux.clear();
        });
    } else {
        p.step([&] {
            result = gUtil().NullToEmpty(rs.Fields(QStringLiteral("Valor")).Value()).toString();
            ValorAux = gUtil().NullToEmpty(rs.Fields(QStringLiteral("ValorAux")).Value()).toString();
        });
    }
    if (p.left()) return {};
    p.step([&] { gDB().CierraRecordset(rs); });
    return p.left() ? QString() : result;
}

namespace {

bool isSi(const QString& value) { return value.compare(QStringLiteral("SI"), Qt::CaseInsensitive) == 0; }
bool isNo(const QString& value) { return value.compare(QStringLiteral("NO"), Qt::CaseInsensitive) == 0; }

QString read(const char* key) {
    QString aux;
    return LeerConfiguracion(QString::fromLatin1(key), aux);
}

long wholeNumber(Currency c) { return long(std::nearbyint(c.toDouble())); }

} // namespace

void CargarConfiguracion(const QString& CarpetaAplicacion) {
    RunValues& v = run();
    Configuracion& s = v.settings;
    Util& u = gUtil();
    v.gTablaConfiguracion = QStringLiteral("ta_configuracion");

    s.MostrarStockenConsultas = isSi(read("MostrarStockenConsultas"));
    s.TituloClientes = trimBlanks(read("TituloClientes"));
    s.TituloProveedores = trimBlanks(read("TituloProveedores"));
    v.gRutaDocTareas = CarpetaAplicacion + QStringLiteral("PZDOCTareas.qln");
    s.EXIGECLAVECONSULTALIKEARTICULOS = isSi(read("EXIGECLAVECONSULTALIKEARTICULOS"));
    s.UsaConsultaLike = isSi(read("UsaConsultaLike"));
    s.CantidadDecimales = read("CantidadDecimales");
    s.UsaMultilesMonedas = isSi(read("UsaMultilesMonedas"));
    s.UsaFacturaProforma = isSi(read("UsaFacturaProforma"));
    s.USACCOSTO = isSi(read("USACCOSTO"));

    QString unidad = gDB().DatosTabla(QStringLiteral("ta_usuarios"), v.gUsuarioLogeado, QStringLiteral("UNegocio"),
                                      QStringLiteral("nombre"), 8, QString(), true);
    unidad = u.FitToWidth(unidad, 4);
    v.gUNegocio = unidad.isEmpty() ? QStringLiteral("   1") : unidad;

    s.UNIDADDEMEDIDA_M3 = trimBlanks(read("UNIDADDEMEDIDA_M3"));
    s.UNIDADDEMEDIDA_BL = trimBlanks(read("UNIDADDEMEDIDA_BL"));
    s.UNIDADDEMEDIDA_KG = trimBlanks(read("UNIDADDEMEDIDA_KG"));
    s.PERIODO = long(std::nearbyint(leadingNumber(read("PERIODO"))));
    s.VALIDACODIGOBARRA = isSi(trimBlanks(read("VALIDACODIGOBARRA")));
    v.gColorFondo = wholeNumber(u.ToCurrency(read("CFondo")));
    v.gColorLetra = wholeNumber(u.ToCurrency(read("CLetra")));
    if (v.gColorFondo == 0) v.gColorFondo = 0xFFFF00;
    s.ModuloOrdenDeTrabajo = !isNo(trimBlanks(read("ModuloOrdenDeTrabajo")));
    for (auto [key, target] : {std::pair{"V_ModificaCPrecio", &s.V_ModificaCPrecio},
                               std::pair{"C_ModificaCPrecio", &s.C_ModificaCPrecio}, std::pair{"MADERERA", &s.MADERERA}}) {
        const QString value = read(key);
        *target = !trimBlanks(value).isEmpty() && !isNo(value);
    }
    for (auto [key, target] : {std::pair{"MAD_TIRAS", &s.MAD_TIRAS}, std::pair{"MAD_P2", &s.MAD_P2},
                               std::pair{"MAD_ML", &s.MAD_ML}, std::pair{"MAD_M2", &s.MAD_M2},
                               std::pair{"MAD_HOJAS", &s.MAD_HOJAS}, std::pair{"MAD_ML_P2", &s.MAD_ML_P2},
                               std::pair{"MAD_M2_P2", &s.MAD_M2_P2}, std::pair{"MAD_ML_M2", &s.MAD_ML_M2}}) {
        *target = trimBlanks(read(key));
    }
    s.CuentaCtroDist = trimBlanks(read("CuentaCtroDist"));
    s.MaxDto = u.ToCurrency(trimBlanks(read("MaxDto")));
}

} // namespace ModGlobal

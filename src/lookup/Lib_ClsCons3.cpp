#include "Lib_ClsCons3.h"

Lib_ClsCons3::Lib_ClsCons3(ConfigReader leerConfiguracion) : leer_(std::move(leerConfiguracion)) {
    CmpsDevueltos = newCollection();
    Valores = newCollection();
    QString aux;
    MuestraStock = leer_(QStringLiteral("MostrarStockenConsultas"), aux);
    Variant* levels[] = {&StkNivel1, &StkNivel2, &StkNivel3, &StkNivel4};
    for (int i = 0; i < 4; ++i) {
        const QString value = leer_(QStringLiteral("Stk_Nivel%1").arg(i + 1), aux);
        *levels[i] = value.isEmpty() ? Variant(0) : Variant(value);
    }
    CfgUsaConsultaLIKE = leer_(QStringLiteral("UsaConsultaLIKE"), aux).compare(QStringLiteral("SI"), Qt::CaseInsensitive) == 0;
}

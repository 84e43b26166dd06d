#include "CeldaCantidad.h"

#include "shared/Util.h"

#include <QLocale>

namespace {
QString formato(double valor, int decimales) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    // "-0.0" would read back as 0 but look odd.
    if (valor == 0) valor = 0;
    return locale.toString(valor, 'f', decimales);
}
} // namespace

double CeldaCantidad::valor(const QString& texto) {
    return Util().ToCurrency(texto).toDouble();
}

QString CeldaCantidad::unDecimal(double v) {
    return formato(v, 1);
}

QString CeldaCantidad::dosDecimales(double v) {
    return formato(v, 2);
}

QString CeldaCantidad::sumarUno(const QString& texto) {
    return unDecimal(valor(texto) + 1);
}

QString CeldaCantidad::restarUno(const QString& texto) {
    const double v = valor(texto) - 1;
    return v <= 0 ? QStringLiteral("0.00") : unDecimal(v);
}

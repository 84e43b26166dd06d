#include "DisposicionLista.h"

#include <cmath>

DisposicionLista::Anchos DisposicionLista::calcularAncho(const QList<Columna>& columnas,
                                                         double anchoPantalla) {
    Anchos a;
    for (const Columna& c : columnas) {
        a.cajas.append({c.izquierda, c.ancho - 50});
        a.total += c.ancho;
    }
    a.lista = a.total + 360;
    a.franja = std::nearbyint(a.total) + 360;
    a.barra = a.total;
    // The platform's scroll bars stop at 32767; beyond a strip of 32700 the bar is simply full.
    a.maximoBarra = a.franja <= 32700 ? int(std::nearbyint((a.franja + 480) * 0.6)) : 32700;
    a.ventana = a.lista + 360 < anchoPantalla ? a.lista + 280 : anchoPantalla - 480;
    return a;
}

DisposicionLista::Medidas DisposicionLista::alRedimensionar(double alto, double ancho,
                                                            double altoMarco, double anchoMarco,
                                                            double altoBarra) {
    Medidas m;
    m.altoFranja = alto - altoMarco - 480;
    m.altoLista = m.altoFranja - altoMarco - 600;
    m.anchoFranja = ancho - 120;
    m.anchoLista = m.anchoFranja - 20;
    m.arribaMarco = alto - altoMarco - 420;
    m.arribaBarra = m.altoFranja - altoBarra - 120;
    m.anchoBarra = ancho - 120;
    m.izquierdaMarco = ancho / 2 - anchoMarco / 2;
    return m;
}

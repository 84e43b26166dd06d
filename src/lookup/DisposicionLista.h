#pragma once

#include <QList>

// The layout arithmetic of the list lookup dialog, in twips: where the search boxes go above the
// list columns, how wide the strip, the list, the scroll bar and the window become, and where
// the parts go when the window is resized.
class DisposicionLista {
public:
    struct Columna {
        double izquierda = 0; // the column's left edge
        double ancho = 0;
    };
    struct Caja {
        double izquierda = 0;
        double ancho = 0;
    };
    // What CalcularAncho sets once the column widths are known.
    struct Anchos {
        QList<Caja> cajas;   // search box i - 1 above column i
        double total = 0;    // W, the sum of the column widths
        double lista = 0;    // W + 360
        double franja = 0;   // picFields: W rounded + 360
        double barra = 0;    // scroll bar width: W
        int maximoBarra = 0; // scroll bar maximum
        double ventana = 0;  // window width
    };
    static Anchos calcularAncho(const QList<Columna>& columnas, double anchoPantalla);

    // Where the parts go for a window of the given inner size.
    struct Medidas {
        double altoFranja = 0, altoLista = 0, anchoFranja = 0, anchoLista = 0;
        double arribaMarco = 0, arribaBarra = 0, anchoBarra = 0, izquierdaMarco = 0;
    };
    static Medidas alRedimensionar(double alto, double ancho, double altoMarco, double anchoMarco,
                                   double altoBarra);
};

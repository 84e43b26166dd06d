#pragma once

#include <QString>

// The quantity cell of the list lookup ("**Cantidad**" column): how its text is read and written.
class CeldaCantidad {
public:
    // The header of the quantity column.
    static QString encabezado() { return QStringLiteral("**Cantidad**"); }
    // The numeric value of a cell or an answer: its leading number, with "." or "," as the
    // decimal separator (the cells are written in the locale's form); 0 for an empty or
    // non-numeric text.
    static double valor(const QString& texto);
    // A quantity as Insert and Delete leave it: "########0.0" in the default locale.
    static QString unDecimal(double valor);
    // A quantity as the quantity entry leaves it: "########0.00" in the default locale.
    static QString dosDecimales(double valor);
    // The cell after Insert: its value + 1.
    static QString sumarUno(const QString& texto);
    // The cell after Delete: its value - 1, or "0.00" when that is 0 or less (the row is then
    // unchecked: agotada() tells).
    static QString restarUno(const QString& texto);
    // True when a cell text left by restarUno means nothing is left.
    static bool agotada(const QString& texto) { return valor(texto) <= 0; }
};

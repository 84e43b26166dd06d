#pragma once

#include "shared/Variant.h"

#include <QColor>

// The stock level of an article row of the list lookup, from its reorder point and its stock.
class NivelStock {
public:
    // Level 1 (no reorder point, stock on hand), 2 (above the reorder point), 3 (below it) or 4
    // (everything else: nothing on hand without a reorder point, exactly at it, or a negative one).
    static int nivel(Currency puntoPedido, Currency stock);
    // An amount of the row (after NullToEmpty): a blank text, an article without a stock row
    // or reorder point, is 0 as the library's ToCurrency reads it; anything else as the value
    // converts (RuntimeError 13 for a text that is no number).
    static Currency cantidad(const Variant& valor);
    // One of the four level colours by `nivel` (1 to 4).
    static const Variant& color(int nivel, const Variant& nivel1, const Variant& nivel2,
                                const Variant& nivel3, const Variant& nivel4);
    // A colour in the platform's RGB encoding (red in the low byte, then green, then blue).
    static QColor aQColor(long colorPlataforma);
};

#include "NivelStock.h"

int NivelStock::nivel(Currency puntoPedido, Currency stock) {
    const Currency cero{};
    if (puntoPedido == cero && stock > cero) return 1;
    if (puntoPedido > cero && stock > puntoPedido) return 2;
    if (puntoPedido > cero && stock < puntoPedido) return 3;
    return 4;
}

Currency NivelStock::cantidad(const Variant& valor) {
    if (const QString* texto = valor.textIf(); texto && texto->trimmed().isEmpty()) return {};
    return valor.toCurrency();
}

const Variant& NivelStock::color(int nivel, const Variant& nivel1, const Variant& nivel2,
                                 const Variant& nivel3, const Variant& nivel4) {
    switch (nivel) {
    case 1:
        return nivel1;
    case 2:
        return nivel2;
    case 3:
        return nivel3;
    default:
        return nivel4;
    }
}

QColor NivelStock::aQColor(long colorPlataforma) {
    const auto c = static_cast<unsigned long>(colorPlataforma);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

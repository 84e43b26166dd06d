#include "BotonesConsulta.h"

#include "shared/Twips.h"

#include <QFrame>
#include <QPushButton>

namespace {
constexpr double anchoBoton = 1695, altoBoton = 420, arribaBoton = 180;
int px(double twips) { return Twips::toPixels(twips); }
} // namespace

BotonesConsulta BotonesConsulta::crear(QWidget* parent) {
    BotonesConsulta b;
    b.frame1 = new QFrame(parent);
    b.frame1->setObjectName(QStringLiteral("Frame1"));
    b.frame1->setFrameShape(QFrame::StyledPanel);
    b.frame1->resize(px(anchoMarco), px(altoMarco));
    const auto boton = [&](const QString& nombre, const QString& texto, int i) {
        auto* button = new QPushButton(texto, b.frame1);
        button->setObjectName(nombre);
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setGeometry(px(120 + i * (anchoBoton + 105)), px(arribaBoton), px(anchoBoton), px(altoBoton));
        return button;
    };
    b.aceptar = boton(QStringLiteral("CmdAceptar"), QStringLiteral("&Aceptar"), 0);
    b.cancelar = boton(QStringLiteral("CmdCancelar"), QStringLiteral("&Cancelar"), 1);
    b.nueva = boton(QStringLiteral("CmdNueva"), QStringLiteral("&Nueva Busqueda"), 2);
    return b;
}

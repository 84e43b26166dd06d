#pragma once

class QFrame;
class QPushButton;
class QWidget;

// The button frame `Frame1` that both lookup dialogs keep at their bottom: "&Aceptar",
// "&Cancelar" and "&Nueva Busqueda". None is a default button, so Enter in a search box never
// accepts the window.
struct BotonesConsulta {
    // The frame's designed size, in twips.
    static constexpr double anchoMarco = 5535, altoMarco = 735;

    QFrame* frame1 = nullptr;
    QPushButton* aceptar = nullptr;
    QPushButton* cancelar = nullptr;
    QPushButton* nueva = nullptr;

    // Creates the frame (owned by `parent`) with its three buttons laid out in it.
    static BotonesConsulta crear(QWidget* parent);
};

#pragma once

#include "CellFinder.h"

#include <QFrame>
#include <QTimer>

class FlexGrid;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The grid's find bar: a strip under the grid (which gives up the room for it while it shows).
// Typing moves the current cell to the next cell whose shown text holds the text, ignoring case
// and accents as the Spanish order does, unless "Coincidir mayúsculas" is ticked; "Siguiente" and
// "Anterior" (Enter and Shift+Enter, F3 and Shift+F3 anywhere in the grid view) go on, round the
// end; the bar says when nothing is found. It reads only what the grid shows, in slices, so that
// typing never waits for a search through a million rows. Esc closes it. Moving the current cell
// follows the grid's rules (a pending row is written when the operator's search leaves it).
class FindBar final : public QFrame {
    Q_OBJECT
public:
    // `scope`: the widget (and its children) where Ctrl+F and F3 work.
    FindBar(FlexGrid& grid, QWidget& scope, QWidget* parent);
    ~FindBar() override;

    // Shows the bar (when the grid shows) with its text selected, ready for typing.
    void openBar();
    // Hides the bar and gives the grid its room and the focus back.
    void closeBar();
    void findNext();
    void findPrevious();

    QLineEdit* texto;
    QPushButton* anterior;
    QPushButton* siguiente;
    QCheckBox* mayusculas;
    QLabel* estado;
    QToolButton* cerrar;
    // "Buscar..." (Ctrl+F), for the grid's context menu.
    QAction* buscar;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void search(CellFinder::Direction direction, CellFinder::From from);
    void runSlice();
    void reached(int row, int column);
    void say(const QString& text, bool notFound = false);
    void layOut();

    FlexGrid& grid_;
    CellFinder finder_;
    QTimer slice_;
    // The height the window gave the grid (the bar takes its own from it).
    int gridHeight_ = 0;
    bool sizing_ = false;
};

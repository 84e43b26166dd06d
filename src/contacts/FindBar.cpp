#include "FindBar.h"

#include "FlexGrid.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"
#include "shared/RuntimeError.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Cells looked at between two looks at the clock, and the time a slice may take before the
// window's events run again.
constexpr long long cellsPerStep = 20000;
constexpr qint64 sliceMs = 15;

} // namespace

FindBar::FindBar(FlexGrid& grid, QWidget& scope, QWidget* parent)
    : QFrame(parent), grid_(grid), finder_(grid.cells()) {
    setObjectName(u"FindBar"_s);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    auto* label = new QLabel(u"Buscar"_s, this);
    texto = new QLineEdit(this);
    texto->setObjectName(u"texto"_s);
    texto->setClearButtonEnabled(true);
    label->setBuddy(texto);
    anterior = new QPushButton(u"Anterior"_s, this);
    anterior->setObjectName(u"anterior"_s);
    siguiente = new QPushButton(u"Siguiente"_s, this);
    siguiente->setObjectName(u"siguiente"_s);
    for (QPushButton* b : {anterior, siguiente}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }
    cerrar = new QToolButton(this);
    cerrar->setObjectName(u"cerrar"_s);
    cerrar->setText(u"×"_s);
    cerrar->setToolTip(u"Cerrar (Esc)"_s);
    cerrar->setAutoRaise(true);
    mayusculas = new QCheckBox(u"Coincidir mayúsculas"_s, this);
    mayusculas->setObjectName(u"mayusculas"_s);
    estado = new QLabel(this);
    estado->setObjectName(u"estado"_s);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 2, 2, 2);
    layout->setHorizontalSpacing(4);
    layout->setVerticalSpacing(2);
    layout->addWidget(label, 0, 0);
    layout->addWidget(texto, 0, 1);
    layout->addWidget(anterior, 0, 2);
    layout->addWidget(siguiente, 0, 3);
    layout->addWidget(cerrar, 0, 4);
    layout->addWidget(mayusculas, 1, 0, 1, 2);
    layout->addWidget(estado, 1, 2, 1, 3);
    layout->setColumnStretch(1, 1);

    const auto action = [&](const QString& name, QKeySequence keys) {
        auto* a = new QAction(this);
        a->setObjectName(name);
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        scope.addAction(a);
        return a;
    };
    buscar = action(u"buscar"_s, QKeySequence(Qt::CTRL | Qt::Key_F));
    buscar->setText(u"Buscar..."_s);
    QAction* next = action(u"buscarSiguiente"_s, QKeySequence(Qt::Key_F3));
    QAction* previous = action(u"buscarAnterior"_s, QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(buscar, &QAction::triggered, this, [this] { openBar(); });
    // F3 with the bar closed opens it again on its last text.
    connect(next, &QAction::triggered, this, [this] {
        if (isHidden()) openBar();
        findNext();
    });
    connect(previous, &QAction::triggered, this, [this] {
        if (isHidden()) openBar();
        findPrevious();
    });
    connect(siguiente, &QPushButton::clicked, this, [this] { findNext(); });
    connect(anterior, &QPushButton::clicked, this, [this] { findPrevious(); });
    connect(cerrar, &QToolButton::clicked, this, [this] { closeBar(); });
    connect(texto, &QLineEdit::textChanged, this,
            [this] { search(CellFinder::Direction::Forward, CellFinder::From::Cell); });
    connect(mayusculas, &QCheckBox::toggled, this,
            [this] { search(CellFinder::Direction::Forward, CellFinder::From::Cell); });

    slice_.setSingleShot(true);
    slice_.setInterval(0);
    connect(&slice_, &QTimer::timeout, this, [this] { runSlice(); });
    grid_.installEventFilter(this);
    hide();
}

FindBar::~FindBar() = default;

void FindBar::openBar() {
    if (!grid_.isVisible()) return;
    if (isHidden()) {
        gridHeight_ = grid_.height();
        show();
        layOut();
    }
    raise();
    texto->setFocus(Qt::ShortcutFocusReason);
    texto->selectAll();
}

void FindBar::closeBar() {
    slice_.stop();
    if (isHidden()) return;
    hide();
    say({});
    sizing_ = true;
    grid_.resize(grid_.width(), gridHeight_);
    sizing_ = false;
    // A hidden grid takes no focus; it gets it when it shows again.
    Procedure p(Handler::skip());
    p.step([&] { grid_.SetFocus(); });
}

void FindBar::findNext() {
    search(CellFinder::Direction::Forward, CellFinder::From::NextCell);
}

void FindBar::findPrevious() {
    search(CellFinder::Direction::Backward, CellFinder::From::NextCell);
}

void FindBar::search(CellFinder::Direction direction, CellFinder::From from) {
    slice_.stop();
    if (texto->text().isEmpty()) {
        say({});
        return;
    }
    finder_.start(texto->text(), mayusculas->isChecked(), direction, grid_.Row() - 1, grid_.Col(),
                  from);
    runSlice();
}

void FindBar::runSlice() {
    QElapsedTimer clock;
    clock.start();
    CellFinder::Result result = CellFinder::Result::Searching;
    while (result == CellFinder::Result::Searching && clock.elapsed() < sliceMs)
        result = finder_.step(cellsPerStep);
    switch (result) {
    case CellFinder::Result::Found:
        reached(finder_.row() + 1, finder_.column());
        break;
    case CellFinder::Result::NotFound:
        say(u"No se encontró el texto."_s, true);
        break;
    case CellFinder::Result::Searching:
        // The window's events run before the next slice: typing goes on meanwhile.
        say(u"Buscando..."_s);
        slice_.start();
        break;
    }
}

void FindBar::reached(int row, int column) {
    Procedure p([](const RuntimeError& error) {
        prompts().reportError(error, u"Buscar"_s);
        return OnFailure::Leave;
    });
    // The grid's own moves: an open edit closes, a pending row left is written; a move the grid
    // refuses (a value to correct) ends the search there.
    p.step([&] {
        if (grid_.Row() != row) grid_.setRow(row);
    });
    if (p.left() || grid_.Row() != row) return;
    p.step([&] {
        if (grid_.Col() != column) grid_.setCol(column);
    });
    if (p.left() || grid_.Col() != column) return;
    p.step([&] { grid_.scrollTo(grid_.model()->index(row - 1, column)); });
    if (!finder_.wrapped())
        say({});
    else if (finder_.direction() == CellFinder::Direction::Forward)
        say(u"Se siguió desde el principio."_s);
    else
        say(u"Se siguió desde el final."_s);
}

void FindBar::say(const QString& text, bool notFound) {
    estado->setText(text);
    QPalette colours = texto->palette();
    colours.setColor(QPalette::Base,
                     notFound ? QColor(255, 214, 214) : palette().color(QPalette::Base));
    texto->setPalette(colours);
}

void FindBar::layOut() {
    const int height = sizeHint().height();
    sizing_ = true;
    grid_.resize(grid_.width(), std::max(0, gridHeight_ - height));
    sizing_ = false;
    setGeometry(grid_.x(), grid_.y() + grid_.height(), grid_.width(), height);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &grid_ && !isHidden() && !sizing_) {
        if (event->type() == QEvent::Resize) {
            // The window gave the grid a new height: the bar takes its room from that one.
            const auto* resize = static_cast<QResizeEvent*>(event);
            if (resize->size().height() != resize->oldSize().height())
                gridHeight_ = resize->size().height();
            layOut();
        } else if (event->type() == QEvent::Move) {
            layOut();
        }
    }
    return QFrame::eventFilter(watched, event);
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        closeBar();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & Qt::ShiftModifier)
            findPrevious();
        else
            findNext();
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

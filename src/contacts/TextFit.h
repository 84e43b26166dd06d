#pragma once

#include <QSize>

class QWidget;

// The windows are laid out in the suite's twips, which were measured for its Windows font; in
// this desktop's fonts a Spanish caption or entry may need more room than its control was given.
// TextFit grows such a control to its text and moves the controls to its right by as much, so the
// layout keeps its order and nothing overlaps; a frame grows to hold what it holds. Controls that
// are wide enough keep their place and size, so the twips stay the layout's starting point.
class TextFit {
public:
    // Fits every control inside `container`, the controls of inner frames first.
    static void fit(QWidget* container);
    // The size a control needs to show its whole caption, or all of its entries (a drop-down list
    // that takes no typing); an empty size for controls whose text scrolls (text boxes, lists,
    // grids) and for frames.
    static QSize needed(const QWidget* control);
};

#include "TextFit.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <vector>

namespace {

// A control whose left edge lies this close to the right edge of a growing one still counts as
// lying to its right: twips rounded to pixels leave neighbours one pixel over each other.
constexpr int touching = 2;

// Frames that hold controls (group boxes and the views' plain frames); a scrolling area is a
// frame too, but what it holds is its own business.
bool isContainer(const QWidget* w) {
    if (qobject_cast<const QGroupBox*>(w)) return true;
    return qobject_cast<const QFrame*>(w) && !qobject_cast<const QAbstractScrollArea*>(w) &&
           !qobject_cast<const QLabel*>(w);
}

QSize comboNeeds(const QComboBox* combo) {
    // A box the operator types into scrolls its text; its entries are data, not captions.
    if (combo->isEditable()) return {};
    const QFontMetrics metrics(combo->font());
    int text = 0;
    for (int i = 0; i < combo->count(); ++i) {
        int w = metrics.horizontalAdvance(combo->itemText(i));
        if (!combo->itemIcon(i).isNull()) w += combo->iconSize().width() + 4;
        text = std::max(text, w);
    }
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = false;
    option.frame = combo->hasFrame();
    // The style's frame, arrow and margins around the text, and the few pixels of slack the box
    // keeps between its text and its arrow.
    return combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option,
                                            QSize(text + 4, metrics.height()), combo);
}

QSize groupBoxNeeds(const QGroupBox* box) {
    if (box->title().isEmpty()) return {};
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    option.lineWidth = 1;
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    // As far as the title reaches, and as far again on its right as it starts on its left.
    return {label.right() + 1 + std::max(0, label.left()), 0};
}

} // namespace

QSize TextFit::needed(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->wordWrap() || label->text().isEmpty()) return {};
        return label->sizeHint();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        if (button->text().isEmpty()) return {};
        return button->sizeHint();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) return comboNeeds(combo);
    if (const auto* box = qobject_cast<const QGroupBox*>(control)) return groupBoxNeeds(box);
    return {};
}

void TextFit::fit(QWidget* container) {
    struct Control {
        QWidget* w;
        QRect before;
        bool scrolls;   // a text box, list or grid: it stretches with its row instead of moving
        int offset = 0; // how far its left edge moved
        int grown = 0;  // how much wider it became
        int moved() const { return offset + grown; } // how far its right edge moved
    };
    std::vector<Control> controls;
    for (QObject* child : container->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isWindow())
            controls.push_back(
                {w, w->geometry(), qobject_cast<QAbstractScrollArea*>(w) != nullptr});
    }
    std::stable_sort(controls.begin(), controls.end(), [](const Control& a, const Control& b) {
        return a.before.x() < b.before.x();
    });
    const auto extent = [&] {
        QRect all;
        for (const Control& c : controls)
            all |= c.w->geometry();
        return all;
    };
    // The margins the layout left on the right and at the bottom are kept when the frame grows.
    const QRect designed = extent();
    const int rightMargin = std::max(0, container->width() - designed.right() - 1);
    const int bottomMargin = std::max(0, container->height() - designed.bottom() - 1);
    const auto right = [](const QRect& r) { return r.x() + r.width(); };

    // Left to right: a control moves as far as the furthest-moved right edge on its left, and a
    // control that ends where a wider one on its left ends (a button under a frame's right edge)
    // moves with that edge.
    for (std::size_t i = 0; i < controls.size(); ++i) {
        Control& c = controls[i];
        if (c.scrolls) continue;
        for (std::size_t j = 0; j < i; ++j) {
            const Control& other = controls[j];
            if (other.scrolls) continue;
            const bool onItsLeft = right(other.before) - touching <= c.before.x();
            const bool endsWithIt = other.before.x() < c.before.x() &&
                                    std::abs(right(other.before) - right(c.before)) <= touching;
            if (onItsLeft || endsWithIt) c.offset = std::max(c.offset, other.moved());
        }
        c.w->move(c.before.x() + c.offset, c.before.y());
        if (isContainer(c.w)) {
            fit(c.w);
            // A frame's own caption (a group box's title) wants its room too.
            c.w->resize(std::max(c.w->width(), needed(c.w).width()), c.w->height());
        } else {
            const QSize need = needed(c.w);
            // A control lower than its font is cut at the bottom; a style's taller frame is not
            // needed for the text to show.
            const int readable = std::min(need.height(), c.w->fontMetrics().height() + 2);
            c.w->resize(std::max(c.w->width(), need.width()), std::max(c.w->height(), readable));
        }
        c.grown = std::max(0, c.w->width() - c.before.width());
    }
    // Controls that were designed one above the other with the same edges stay alike: a button
    // under a box that grew grows with it. What lies to their right moved for the wider one.
    for (Control& c : controls) {
        if (c.scrolls) continue;
        for (const Control& other : controls) {
            if (other.scrolls || std::abs(other.before.x() - c.before.x()) > touching ||
                std::abs(right(other.before) - right(c.before)) > touching)
                continue;
            if (other.w->width() > c.w->width()) {
                c.w->resize(other.w->width(), c.w->height());
                c.grown = std::max(0, c.w->width() - c.before.width());
            }
        }
    }
    // Then the text boxes and lists: each keeps its left edge with the controls on its left and
    // stretches as far as the controls ending within its span moved.
    for (Control& c : controls) {
        if (!c.scrolls) continue;
        int leftMove = 0;
        int rightMove = 0;
        for (const Control& other : controls) {
            if (other.scrolls) continue;
            if (right(other.before) - touching <= c.before.x())
                leftMove = std::max(leftMove, other.moved());
            if (right(other.before) > c.before.x() &&
                right(other.before) <= right(c.before) + touching)
                rightMove = std::max(rightMove, other.moved());
        }
        c.w->setGeometry(c.before.x() + leftMove, c.before.y(),
                         c.before.width() + std::max(0, rightMove - leftMove), c.before.height());
    }

    const QRect fitted = extent();
    container->resize(std::max(container->width(), fitted.right() + 1 + rightMargin),
                      std::max(container->height(), fitted.bottom() + 1 + bottomMargin));
}

// Every caption, entry and column name of the window shows whole at 96 dpi in the fonts the
// program finds here, measured by the style's own rectangles rather than by TextFit's sums.
#include "contacts/TextFit.h"
#include "ContactsWindowFixture.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

using namespace Qt::StringLiterals;

namespace {

// The width a text takes, mnemonics' "&" left out.
int advance(const QWidget* w, QString text) {
    text.remove(QRegularExpression(u"&(?!&)"_s));
    return w->fontMetrics().horizontalAdvance(text);
}

// The room a control leaves for its text, as its style draws it.
int room(const QWidget* w) {
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = combo->hasFrame();
        return combo->style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
            .width();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        const bool radio = qobject_cast<const QPushButton*>(w) == nullptr;
        QRect contents = button->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents
                                                               : QStyle::SE_PushButtonContents,
                                                         &option, button);
        int width = contents.width();
        if (!radio && !button->icon().isNull()) width -= button->iconSize().width() + 4;
        return width;
    }
    if (const auto* label = qobject_cast<const QLabel*>(w)) return label->contentsRect().width();
    return w->width();
}

// The controls of a frame: its children, and the controls of the frames among them (not what a
// list, a grid, a drop-down box or the toolbar of picture buttons is made of).
std::vector<QWidget*> controlsOf(QWidget* frame) {
    std::vector<QWidget*> out;
    for (QObject* o : frame->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow() || w->objectName() == u"TxtEdit"_s) continue;
        out.push_back(w);
        const bool inner = qobject_cast<QGroupBox*>(w) ||
                           (qobject_cast<QFrame*>(w) && !qobject_cast<QAbstractScrollArea*>(w) &&
                            !qobject_cast<QLabel*>(w));
        if (inner) {
            for (QWidget* c : controlsOf(w))
                out.push_back(c);
        }
    }
    return out;
}

// Every control with a text in `frame`, each checked against the room it has, and against its
// frame's edges.
void expectWholeTexts(QWidget* frame) {
    for (QWidget* w : controlsOf(frame)) {
        const std::string name =
            (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                       : w->objectName())
                .toStdString();
        QStringList texts;
        if (const auto* l = qobject_cast<const QLabel*>(w)) texts << l->text();
        if (const auto* b = qobject_cast<const QAbstractButton*>(w); b && !b->text().isEmpty())
            texts << b->text();
        if (const auto* c = qobject_cast<const QComboBox*>(w); c && !c->isEditable()) {
            for (int i = 0; i < c->count(); ++i)
                texts << c->itemText(i);
        }
        for (const QString& text : texts) {
            EXPECT_LE(advance(w, text), room(w)) << name << ": \"" << text.toStdString() << "\"";
        }
        if (const auto* g = qobject_cast<const QGroupBox*>(w)) {
            EXPECT_LE(advance(g, g->title()) + 16, g->width()) << g->title().toStdString();
        }
        if (w->parentWidget() != frame->parentWidget()) {
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
                << name << " sticks out of its frame";
        }
    }
}

// Siblings that are controls of their own must not cover each other (one pixel of the twips'
// rounding aside).
void expectNoOverlap(QWidget* container) {
    std::vector<QWidget*> controls;
    for (QObject* o : container->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        // Hidden controls (the editor, the find bar until it is asked for) take no room.
        if (w && !w->isWindow() && !w->isHidden() && w->objectName() != u"TxtEdit"_s)
            controls.push_back(w);
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const QRect both = controls[i]->geometry().intersected(controls[j]->geometry());
            EXPECT_TRUE(both.isEmpty() || both.width() <= 1 || both.height() <= 1)
                << controls[i]->objectName().toStdString() << " "
                << controls[i]->metaObject()->className() << " / "
                << controls[j]->objectName().toStdString() << " "
                << controls[j]->metaObject()->className();
        }
        if (qobject_cast<QGroupBox*>(controls[i])) expectNoOverlap(controls[i]);
    }
}

TEST_F(ContactsWindow, EveryCaptionEntryAndColumnNameShowsWhole) {
    // A field name longer than the field box's designed width, and a boolean column whose five
    // letters cannot hold its name.
    open(
        u"CREATE TABLE MA_contactos (id INTEGER PRIMARY KEY, Nombre_y_Apellido varchar(50), "
        "Observaciones_del_contacto varchar(300), Activo bit);"
        "INSERT INTO MA_contactos VALUES (1, 'Ana', 'x', 1);"
        "CREATE TABLE ta_usuarios (nombre varchar(30), Administrador int, UNegocio varchar(4));"_s);
    // The grid's "Arial" is a font with Arial's widths, not the desktop's default.
    EXPECT_EQ(QFontInfo(grid().font()).family(), u"Liberation Sans"_s);
    FlexGrid& g = grid();
    for (int c = 0; c < g.Cols(); ++c) {
        EXPECT_GE(g.columnWidth(c), g.horizontalHeader()->sectionSizeHint(c))
            << g.TextMatrix(0, c).toStdString();
    }
    // The yes/no column shows its words whole (the program's own, not the data's).
    EXPECT_EQ(g.TextMatrix(1, 3), u"Verdadero"_s);
    const QRect cell = g.visualRect(g.model()->index(0, 3));
    EXPECT_LE(g.fontMetrics().horizontalAdvance(u"Verdadero"_s) + 2, cell.width());
    EXPECT_EQ(g.model()->index(0, 3).data().toString(), u"Verdadero"_s);
    expectWholeTexts(w->FrmPlanilla);
    expectNoOverlap(w->FrmPlanilla);

    w->Toolbar2_ButtonClick(u"Filtro"_s);
    FilterView& f = *w->FrmFiltro;
    ASSERT_EQ(f.cboField->count(), 4);
    expectWholeTexts(&f);
    expectNoOverlap(&f);
    // The window holds the grown view.
    EXPECT_GE(w->width(), f.width());
    EXPECT_GE(w->height(), f.height());
    // A control that had room keeps its designed size.
    EXPECT_EQ(f.cboOperator->width(), Twips::toPixels(1935));
    EXPECT_EQ(f.cmdCancel->size(), QSize(Twips::toPixels(1455), Twips::toPixels(375)));
}

} // namespace

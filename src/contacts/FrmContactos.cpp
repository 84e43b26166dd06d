#include "FrmContactos.h"

#include "DataControl.h"
#include "ExcelExport.h"
#include "ExportNames.h"
#include "FilterView.h"
#include "FindBar.h"
#include "FlexGrid.h"
#include "GridClipboard.h"
#include "GridEditor.h"
#include "GridSource.h"
#include "HtmlExport.h"
#include "RecoveryFile.h"
#include "RowWriter.h"
#include "TextFit.h"
#include "data/DB_Dll.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"
#include "shared/Teclado.h"
#include "shared/Twips.h"
#include "startup/ModGlobal.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cmath>

static void initContactsResources() {
    Q_INIT_RESOURCE(contacts);
}

namespace {

using Twips::place;

int px(double twips) {
    return Twips::toPixels(twips);
}
double tw(double pixels) {
    return Twips::fromPixels(pixels);
}

const char* const sortCaptions[] = {"(Ninguno)",
                                    "Ascendente (Genérico)",
                                    "Descendente (Genérico)",
                                    "Ascendente (Numérico)",
                                    "Descendente (Numérico)",
                                    "Ascendente (Alfanumérico)",
                                    "Descendente (Alfanumérico)"};

// The sort selector takes no typing: every character is discarded.
class SortSelector final : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (!e->text().isEmpty() && e->text().at(0).isPrint()) {
            e->accept();
            return;
        }
        QComboBox::keyPressEvent(e);
    }
};

} // namespace

FrmContactos::FrmContactos(QWidget* parent) : QWidget(parent) {
    initContactsResources();
    setObjectName(QStringLiteral("FrmContactos"));
    setWindowTitle(QStringLiteral("CONTACTOS"));
    resize(px(8250), px(4635));
    // The window was laid out for the suite's 8-point sans-serif font. Where that font is missing,
    // Arial's widths (Liberation Sans here) come closest to it; the desktop's own sans-serif font
    // is a good deal wider.
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setStyleHint(QFont::SansSerif);
    windowFont.setPointSize(8);
    if (QFontInfo(windowFont).family().compare(windowFont.family(), Qt::CaseInsensitive) != 0)
        windowFont.setFamily(QStringLiteral("Arial"));
    setFont(windowFont);

    data1 = new DataControl(this);

    FrmPlanilla = place(new QFrame(this), 0, 0, 8175, 4575);
    FrmPlanilla->setObjectName(QStringLiteral("FrmPlanilla"));
    Label2 = place(new QLabel(QStringLiteral("En Orden"), FrmPlanilla), 240, 240, 855, 255);
    Combo1 = place(new SortSelector(FrmPlanilla), 1080, 240, 2535, 315);
    Combo1->setObjectName(QStringLiteral("Combo1"));

    Toolbar2 = place(new QToolBar(FrmPlanilla), 4920, 120, 1095, 390);
    Toolbar2->setObjectName(QStringLiteral("Toolbar2"));
    Toolbar2->setMovable(false);
    Toolbar2->setFloatable(false);
    Toolbar2->setContentsMargins(0, 0, 0, 0);
    Toolbar2->setIconSize(QSize(px(240), px(240)));
    auto button = [&](const QString& key, const QString& tip, const char* icon) {
        QAction* a = Toolbar2->addAction(QIcon(QString::fromLatin1(icon)), key);
        a->setObjectName(key);
        a->setToolTip(tip);
        connect(a, &QAction::triggered, this, [this, key] { Toolbar2_ButtonClick(key); });
        return a;
    };
    actFiltro =
        button(QStringLiteral("Filtro"), QStringLiteral("Filtro"), ":/contacts/icons/filtro.png");
    actHtm = button(QStringLiteral("HTM"), QStringLiteral("Generar Archivo HTML"),
                    ":/contacts/icons/htm.png");
    actExcel = button(QStringLiteral("Excel"), QStringLiteral("Generar Archivo Excel"),
                      ":/contacts/icons/excel.png");
    // Wide enough for its three buttons whatever the style's margins.
    Toolbar2->resize(std::max(Toolbar2->width(), Toolbar2->sizeHint().width()), Toolbar2->height());

    lblCarga = place(new QLabel(FrmPlanilla), 3720, 270, 1995, 255);
    lblCarga->setObjectName(QStringLiteral("lblCarga"));
    cmdCarga = place(new QPushButton(FrmPlanilla), 5760, 225, 975, 330);
    cmdCarga->setObjectName(QStringLiteral("cmdCarga"));
    lblCarga->hide();
    cmdCarga->hide();
    connect(cmdCarga, &QPushButton::clicked, this, [this] {
        if (data1->Loading()) {
            data1->StopLoad();
        } else {
            reload();
        }
    });

    DataGrid1 = new FlexGrid(FrmPlanilla);
    DataGrid1->setName(QStringLiteral("DataGrid1"));
    DataGrid1->setGeometry(px(120), px(720), px(7935), px(3255));
    QFont arial(QStringLiteral("Arial"));
    arial.setStyleHint(QFont::SansSerif);
    arial.setPointSize(8);
    DataGrid1->setFont(arial);

    TxtEdit = place(new QLineEdit(FrmPlanilla), 1320, 960, 975, 285);
    TxtEdit->setObjectName(QStringLiteral("TxtEdit"));
    TxtEdit->setStyleSheet(QStringLiteral("QLineEdit { background-color: #FFFFC0; }"));
    TxtEdit->hide();
    TxtEdit->raise();

    FrmFiltro = new FilterView(*data1, ModGlobal::gDB(), this);
    FrmFiltro->hide();
    FrmPlanilla->raise();
    FrmFiltro->closed = [this] { showGrid(); };

    writer_ = std::make_unique<RowWriter>(*DataGrid1, *data1, ModGlobal::gDB(), state);
    editor_ = std::make_unique<GridEditor>(*DataGrid1, *TxtEdit, *data1, *writer_, state,
                                           ModGlobal::gTeclado());
    editor_->resolvePending = [this](const QString& what) { return resolvePendingRow(what); };
    writer_->pendingChanged = [this](int row) {
        markPending(row);
        keepPendingRow();
    };
    // The pending row is kept outside the program as it changes, so that a crash loses nothing:
    // each cell it takes, and the open edit a moment after the operator stops typing.
    keepTyping_ = new QTimer(this);
    keepTyping_->setSingleShot(true);
    keepTyping_->setInterval(300);
    connect(keepTyping_, &QTimer::timeout, this, [this] { keepPendingRow(); });
    connect(TxtEdit, &QLineEdit::textEdited, keepTyping_, qOverload<>(&QTimer::start));
    connect(DataGrid1->model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole)) return;
                const int row = int(std::nearbyint(state.gFilaPendiente)) - 1;
                if (row >= 0 && row >= from.row() && row <= to.row()) keepPendingRow();
            });
    // Copy, paste and find, as the operator knows them from every grid.
    clipboard_ = std::make_unique<GridClipboard>(*DataGrid1, *TxtEdit, *editor_, *writer_, state,
                                                 ModGlobal::gTeclado(), *this);
    findBar_ = new FindBar(*DataGrid1, *FrmPlanilla, FrmPlanilla);
    clipboard_->addToMenu(findBar_->buscar);
    FrmFiltro->beforeReload = [this] {
        return resolvePendingRow(QStringLiteral("aplicar el filtro"));
    };

    connect(Combo1, &QComboBox::currentIndexChanged, this, [this](int i) { Combo1_Click(i); });
    connect(data1, &DataControl::refreshed, this, [this] {
        loadGrid();
        // A reload shows the rows in the order they were read: no sort of the selector applies.
        const QSignalBlocker quiet(Combo1);
        Combo1->setCurrentIndex(Combo1->count() > 0 ? 0 : -1);
        loadStopped_ = false;
        showLoad();
    });
    connect(data1, &DataControl::rowsRead, this, [this] {
        DataGrid1->sourceGrew();
        showLoad();
    });
    connect(data1, &DataControl::loadEnded, this, [this](bool complete) {
        loadStopped_ = !complete;
        showLoad();
    });
}

FrmContactos::~FrmContactos() = default;

int FrmContactos::anchoColumna(long type, long definedSize) const {
    const double w = tw(QFontMetricsF(font()).horizontalAdvance(u'A'));
    double factor;
    switch (type) {
    case 2:
    case 3:
    case 5:
    case 14:
    case 16:
    case 20:
    case 131:
    case 7:
    case 133:
    case 134:
    case 135:
        factor = 10;
        break;
    case 11:
        factor = 5;
        break;
    case 203:
        factor = 100;
        break;
    default:
        factor = definedSize > 30 ? 30 : definedSize >= 1 ? double(definedSize) : 17;
        break;
    }
    return int(std::nearbyint(w * factor));
}

void FrmContactos::Form_Load() {
    Procedure p([](const RuntimeError& e) {
        prompts().message(QStringLiteral("Ha ocurrido el siguiente error : ") +
                              QString::number(e.number()) + QStringLiteral(" - ") + e.description(),
                          QStringLiteral("Aviso al operador"), Prompt::Buttons::Ok,
                          Prompt::Icon::Critical);
        return OnFailure::Leave;
    });
    p.step([] {
        QString connString;
        ModGlobal::Inicializar(false, QString(), connString);
    });
    p.step([&] {
        Combo1->clear();
        for (const char* caption : sortCaptions)
            Combo1->addItem(QString::fromUtf8(caption));
        Combo1->setCurrentIndex(0);
        TextFit::fit(FrmPlanilla);
        Form_Resize();
    });
    p.step([&] {
        connectionString = ModGlobal::gDB().gConnString;
        state.RecordSource = QStringLiteral("MA_contactos");
        FrmFiltro->table = state.RecordSource;
        state.gTieneId = false;
    });
    p.step([&] {
        recovery_ = std::make_unique<RecoveryFile>(ModGlobal::programFolder(), connectionString);
    });
    p.step([&] {
        data1->setConnectionString(connectionString);
        data1->setRecordSource(QStringLiteral("MA_contactos"));
        data1->setCommandType(2);
        data1->Refresh();
    });
    p.step([&] {
        ado::Recordset& rs = data1->Recordset();
        for (long i = 0; i < rs.FieldCount(); ++i) {
            ado::Field f = rs.Fields(i);
            if (f.Name().trimmed().compare(QStringLiteral("id"), Qt::CaseInsensitive) == 0)
                state.gTieneId = true;
            // A column never narrower than its name, nor a yes/no column than the words it
            // shows: its five letters rarely hold either.
            int least = int(std::ceil(tw(DataGrid1->horizontalHeader()->sectionSizeHint(int(i)))));
            if (f.Type() == 11) least = std::max(least, int(std::ceil(tw(booleanWidth()))));
            DataGrid1->setColWidth(int(i),
                                   std::max(anchoColumna(f.Type(), f.DefinedSize()), least));
        }
    });
    p.step([&] {
        FrmFiltro->cmdOK->setEnabled(false);
        FrmFiltro->txtCriteria->setPlainText(QString());
        FrmFiltro->cmdOK->setEnabled(false);
        FrmFiltro->cboOperator->clear();
        FrmFiltro->cboOperator->addItems(
            {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral(">"), QStringLiteral(">="),
             QStringLiteral("<"), QStringLiteral("<="), QStringLiteral("Like")});
        FrmFiltro->cboOperator->setCurrentIndex(0);
    });
    p.step([&] {
        // The open list is 300 pixels wide whatever the box's width.
        FrmFiltro->cboField->view()->setMinimumWidth(300);
    });
    // Once the window is up, so that the operator sees the grid the rows go back into.
    QTimer::singleShot(0, this, [this] { offerKeptRows(); });
}

int FrmContactos::booleanWidth() const {
    const QFontMetrics metrics(DataGrid1->font());
    const int words = std::max(metrics.horizontalAdvance(GridSource::displayText(Variant(true))),
                               metrics.horizontalAdvance(GridSource::displayText(Variant(false))));
    // The text margins the grid's cells leave on each side, and the grid line.
    const int margin =
        DataGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, DataGrid1) + 1;
    return words + 2 * margin + 1;
}

void FrmContactos::loadGrid() {
    if (auto source = data1->gridSource()) {
        DataGrid1->load(source);
        writer_->setLoadedSource(source);
    }
}

void FrmContactos::showLoad() {
    // What the strip says while rows are read, and after a stopped load; %1 is the rows read.
    struct Strip {
        QString label, tip, button, buttonTip;
    };
    static const Strip reading{
        QStringLiteral("Leyendo… %1"),
        QStringLiteral("Se leyeron %1 filas y la tabla se sigue leyendo; ordenar, exportar o "
                       "grabar una fila espera a que termine."),
        QStringLiteral("&Detener"),
        QStringLiteral("Deja de leer la tabla y se queda con las filas leídas")};
    static const Strip stopped{
        QStringLiteral("Detenida: %1"),
        QStringLiteral("Se detuvo la carga: la grilla muestra solo las primeras %1 filas de la "
                       "tabla, y ordenar y exportar trabajan sobre ellas."),
        QStringLiteral("&Recargar"), QStringLiteral("Vuelve a leer la tabla entera")};
    const bool shown = data1->Loading() || loadStopped_;
    if (shown) {
        const Strip& strip = data1->Loading() ? reading : stopped;
        const QString rows = QLocale().toString(qlonglong(data1->RowsRead()));
        lblCarga->setText(strip.label.arg(rows));
        lblCarga->setToolTip(strip.tip.arg(rows));
        cmdCarga->setText(strip.button);
        cmdCarga->setToolTip(strip.buttonTip);
    }
    lblCarga->setVisible(shown);
    cmdCarga->setVisible(shown);
}

void FrmContactos::reload() {
    if (!resolvePendingRow(QStringLiteral("recargar la tabla"))) return;
    try {
        data1->Refresh();
    } catch (const RuntimeError& e) {
        prompts().message(
            QStringLiteral("No se pudo volver a leer la tabla.\n\n") + e.description(),
            QStringLiteral("Aviso al operador"), Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
    }
}

void FrmContactos::MsflexGridEdt(FlexGrid& MsFlexGrid, QLineEdit& Edt, int KeyAscii) {
    editor_->MsflexGridEdt(MsFlexGrid, Edt, KeyAscii);
}
void FrmContactos::EditKeyCode(FlexGrid& MsFlexGrid, QLineEdit& Edt, int KeyCode, int Shift) {
    editor_->EditKeyCode(MsFlexGrid, Edt, KeyCode, Shift);
}
void FrmContactos::MsflexKey(FlexGrid& MsFlexGrid, int KeyCode) {
    editor_->MsflexKey(MsFlexGrid, KeyCode);
}
void FrmContactos::GrabaRegistro() {
    writer_->GrabaRegistro();
}
void FrmContactos::GrabaElimina() {
    writer_->GrabaElimina();
}

bool FrmContactos::resolvePendingRow(const QString& what, GiveUp giveUp) {
    if (resolving_) return true;
    // An open edit closes first, with a value its field takes.
    if (!editor_->acceptEdit()) return false;
    if (state.gFilaPendiente == 0) return true;
    writer_->GrabaRegistro();
    if (state.gFilaPendiente == 0) return true;
    const int row = int(std::nearbyint(state.gFilaPendiente));
    const QString ifNot =
        giveUp == GiveUp::Keep
            ? QStringLiteral("Si responde No, los cambios se guardan en un archivo de "
                             "recuperación antes de %1, y se ofrecerán la próxima vez que abra el "
                             "programa sobre esta base de datos.")
                  .arg(what)
            : QStringLiteral("Si responde No, los cambios se descartan para %1.").arg(what);
    const int answer = prompts().message(
        QStringLiteral("Los cambios de la fila %1 no se grabaron.\n\n¿Desea volver a esa fila para "
                       "corregirlos?\n")
                .arg(row) +
            ifNot,
        QStringLiteral("Cambios sin grabar"), Prompt::Buttons::YesNo, Prompt::Icon::Exclamation);
    if (answer == Prompt::Yes) {
        resolving_ = true;
        editor_->suspendWrites = true;
        struct Reset {
            FrmContactos& w;
            ~Reset() {
                w.resolving_ = false;
                w.editor_->suspendWrites = false;
            }
        } reset{*this};
        Procedure p(Handler::skip());
        p.step([&] { DataGrid1->setRow(row); });
        p.step([&] {
            DataGrid1->setCol(std::clamp(writer_->refusedColumn(), 0, DataGrid1->Cols() - 1));
        });
        p.step([&] { DataGrid1->scrollTo(DataGrid1->model()->index(row - 1, DataGrid1->Col())); });
        p.step([&] { DataGrid1->SetFocus(); });
        return false;
    }
    if (giveUp == GiveUp::Keep) {
        keepPendingRow();
        if (recovery_ && recovery_->holdsRow()) {
            prompts().message(
                QStringLiteral("Los cambios de la fila %1 quedaron guardados en el archivo\n%2\n\n"
                               "Se ofrecerán para grabarlos la próxima vez que abra el programa "
                               "sobre esta base de datos.")
                    .arg(row)
                    .arg(QDir::toNativeSeparators(recovery_->path())),
                QStringLiteral("Cambios guardados para más adelante"), Prompt::Buttons::Ok,
                Prompt::Icon::Information);
            return true;
        }
        // Nowhere to keep them: the operator decides whether they go.
        if (prompts().message(QStringLiteral("Los cambios de la fila %1 no se pudieron guardar "
                                             "en un archivo de recuperación.\n\n¿Desea %2 de "
                                             "todos modos y perderlos?")
                                  .arg(row)
                                  .arg(what),
                              QStringLiteral("Cambios sin grabar"), Prompt::Buttons::YesNo,
                              Prompt::Icon::Exclamation) != Prompt::Yes) {
            return false;
        }
    }
    writer_->Descartar();
    return true;
}

void FrmContactos::keepPendingRow() {
    keepTyping_->stop();
    if (!recovery_) return;
    const bool editing =
        editor_->editOpen() && DataGrid1->Row() == int(std::nearbyint(state.gFilaPendiente));
    const std::optional<PendingRow> row =
        writer_->pendingRow(editing ? DataGrid1->Col() : -1, editing ? TxtEdit->text() : QString());
    try {
        if (row) {
            recovery_->save(*row);
        } else {
            recovery_->clear();
        }
    } catch (const RuntimeError& e) {
        // Said once: the editing goes on, only without the safety net.
        if (keepFailureShown_) return;
        keepFailureShown_ = true;
        prompts().message(
            e.description() + QStringLiteral("\n\nLa fila pendiente no queda guardada fuera del "
                                             "programa hasta que se grabe."),
            QStringLiteral("Aviso al operador"), Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
    }
}

namespace {

// How a kept row is told to the operator: the record, and each changed value.
QString keptRowText(const RecoveryFile::Kept& kept) {
    const PendingRow& row = kept.row;
    QString text = row.newRecord
                       ? QStringLiteral("Quedó sin grabar un registro nuevo de %1").arg(row.table)
                       : QStringLiteral("Quedaron sin grabar cambios del registro %1 de %2")
                             .arg(row.key, row.table);
    if (kept.saved.isValid()) {
        text += (row.newRecord ? QStringLiteral(" (guardado el %1)")
                               : QStringLiteral(" (guardados el %1)"))
                    .arg(kept.saved.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    }
    text += QStringLiteral(":\n");
    const QList<int> changed = row.changedColumns();
    for (qsizetype i = 0; i < changed.size() && i < 12; ++i) {
        const int c = changed[i];
        text += row.newRecord ? QStringLiteral("\n  %1: «%2»").arg(row.columns[c], row.typed[c])
                              : QStringLiteral("\n  %1: «%2» → «%3»")
                                    .arg(row.columns[c], row.loaded[c], row.typed[c]);
    }
    if (changed.size() > 12) text += QStringLiteral("\n  …");
    return text;
}

} // namespace

void FrmContactos::offerKeptRows() {
    if (keptRowsOffered_ || !recovery_) return;
    keptRowsOffered_ = true;
    const QStringList files = recovery_->keptFiles();
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString shown = QDir::toNativeSeparators(files[i]);
        std::optional<RecoveryFile::Kept> kept;
        try {
            kept = recovery_->take(files[i]);
        } catch (const RuntimeError& e) {
            prompts().message(e.description(), QStringLiteral("Aviso al operador"),
                              Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
            continue;
        }
        if (!kept) continue; // another run, still open, holds it
        const int answer = prompts().message(
            keptRowText(*kept) +
                QStringLiteral("\n\n¿Desea grabarlos ahora? Si otro operador cambió alguno de "
                               "esos valores mientras tanto, se le preguntará antes de "
                               "reemplazarlo.\nSi responde No, quedan en el archivo\n%1\ny se "
                               "ofrecerán de nuevo la próxima vez.")
                    .arg(shown),
            QStringLiteral("Cambios sin grabar recuperados"), Prompt::Buttons::YesNo,
            Prompt::Icon::Question);
        if (answer != Prompt::Yes || state.gFilaPendiente != 0) {
            recovery_->release(files[i]);
            continue;
        }
        int row = 0;
        try {
            row = writer_->restorePending(kept->row);
        } catch (const RuntimeError& e) {
            prompts().message(e.description(), QStringLiteral("Aviso al operador"),
                              Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
        }
        if (row == 0) {
            if (!kept->row.newRecord) {
                prompts().message(
                    QStringLiteral("El registro %1 ya no está en %2: otro operador lo eliminó. "
                                   "Sus cambios no se grabaron y quedan en el archivo\n%3")
                        .arg(kept->row.key, kept->row.table, shown),
                    QStringLiteral("Cambios sin grabar recuperados"), Prompt::Buttons::Ok,
                    Prompt::Icon::Exclamation);
            }
            recovery_->release(files[i]);
            continue;
        }
        // The row is this run's pending row now, kept in this run's own file; the earlier file
        // goes once this one holds the row, or once the row is written.
        const bool takenOver = recovery_->holdsRow();
        if (takenOver) recovery_->discard(files[i]);
        Procedure p(Handler::skip());
        p.step([&] { DataGrid1->setRow(row); });
        p.step([&] { DataGrid1->scrollTo(DataGrid1->model()->index(row - 1, 0)); });
        writer_->GrabaRegistro();
        if (!takenOver) {
            if (state.gFilaPendiente == 0) {
                recovery_->discard(files[i]);
            } else {
                recovery_->release(files[i]);
            }
        }
        // Not written (the database refused it, the operator left it): it stays pending in the
        // grid, marked, and the rest wait for the next start.
        if (state.gFilaPendiente != 0) {
            p.step([&] {
                DataGrid1->setCol(std::clamp(writer_->refusedColumn(), 0, DataGrid1->Cols() - 1));
            });
            return;
        }
    }
}

// The pending row is tinted while it holds texts not yet written.
void FrmContactos::markPending(int row) {
    DataGrid1->clearRowTints();
    if (row > 0 && row < DataGrid1->Rows()) DataGrid1->setRowTint(row, QColor(255, 236, 179));
}

void FrmContactos::keepPlacement(const WindowPlacement& placement) {
    placement_ = placement;
    placement_->restore(*this);
}

void FrmContactos::closeEvent(QCloseEvent* event) {
    if (!resolvePendingRow(QStringLiteral("cerrar la ventana"), GiveUp::Keep)) {
        event->ignore();
        return;
    }
    data1->StopLoad();
    if (placement_) placement_->save(*this);
    QWidget::closeEvent(event);
}

void FrmContactos::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmContactos::Form_Resize() {
    // Each step on its own: a size that cannot be applied (a minimised window) is skipped.
    Procedure p(Handler::skip());
    const auto positive = [](double v) {
        if (v < 0) raiseError(ErrorNumber::InvalidCall);
        return v;
    };
    p.step([&] { FrmPlanilla->resize(px(positive(tw(width()) - 120)), FrmPlanilla->height()); });
    p.step([&] {
        FrmPlanilla->resize(FrmPlanilla->width(),
                            px(positive(tw(height()) - tw(FrmPlanilla->y()) - 400)));
    });
    p.step([&] { DataGrid1->setWidth(int(positive(tw(FrmPlanilla->width()) - 150))); });
    p.step([&] {
        DataGrid1->setHeight(int(positive(tw(FrmPlanilla->height()) - DataGrid1->Top() - 120)));
    });
    p.step([&] {
        Toolbar2->move(px(positive(tw(FrmPlanilla->width()) - tw(Toolbar2->width()) - 240)),
                       Toolbar2->y());
    });
    // The load strip between the sort selector and the toolbar, its button by the toolbar.
    p.step([&] {
        cmdCarga->resize(std::max(cmdCarga->sizeHint().width(), px(735)), cmdCarga->height());
        cmdCarga->move(px(positive(tw(Toolbar2->x() - cmdCarga->width()) - 60)), cmdCarga->y());
        const int left = Combo1->geometry().right() + px(90);
        lblCarga->setGeometry(left, lblCarga->y(), int(positive(cmdCarga->x() - left - px(45))),
                              lblCarga->height());
    });
}

void FrmContactos::Combo1_Click(int index) {
    if (index < 0) return;
    // Sorting renumbers the rows: a pending row is written first.
    if (!resolvePendingRow(QStringLiteral("ordenar la grilla"))) return;
    // The sort orders the whole table: the rows still to come are read first.
    data1->FinishLoad();
    Procedure p(Handler::skip());
    p.step([&] { DataGrid1->Sort(index); });
}

void FrmContactos::showGrid() {
    FrmFiltro->hide();
    FrmPlanilla->show();
}

void FrmContactos::abrirFiltro() {
    // A window that is minimised or maximised cannot be sized: it is restored and the step retried.
    Procedure p([this](const RuntimeError& e) {
        if (e.number() == ErrorNumber::CannotResizeWindow) {
            showNormal();
            return OnFailure::Retry;
        }
        return OnFailure::Next;
    });
    const auto sizable = [this] {
        if (isMinimized() || isMaximized() || isFullScreen())
            raiseError(ErrorNumber::CannotResizeWindow);
    };
    p.step([&] {
        FrmFiltro->show();
        FrmPlanilla->hide();
    });
    // The field lists are filled before the window is sized, so that the view can grow to hold
    // the longest field name.
    p.step([&] { FrmFiltro->Cargar_Datos(); });
    p.step([&] { TextFit::fit(FrmFiltro); });
    p.step([&] {
        sizable();
        resize(FrmFiltro->width() + px(120), FrmFiltro->height() + px(400));
    });
    p.step([&] {
        sizable();
        if (const QScreen* s = screen()) {
            const QRect r = s->availableGeometry();
            move(r.left() + r.width() / 2 - frameGeometry().width() / 2,
                 r.top() + r.height() / 2 - frameGeometry().height() / 2);
        }
    });
}

namespace {

// The error a cancelled save dialog raises.
constexpr long cancelledDialog = 32755;

enum class ExportOutcome { Written, NotWritten, NoRecords, Cancelled };

// What the operator is told about an export that left no new file.
QString exportNotice(ExportOutcome outcome, const std::optional<RuntimeError>& failure,
                     const QString& name, bool existed) {
    const QString path = QDir::toNativeSeparators(QFileInfo(name).absoluteFilePath());
    const QString kept = existed ? QStringLiteral("Se conservó el archivo anterior:\n%1").arg(path)
                                 : QStringLiteral("No se escribió ningún archivo.");
    if (failure) {
        return QStringLiteral("No se pudo completar la exportación.\n%1\n\n%2")
            .arg(failure->description(), kept);
    }
    switch (outcome) {
    case ExportOutcome::Cancelled:
        return QStringLiteral("Se canceló la exportación. ") + kept;
    case ExportOutcome::NoRecords:
        return QStringLiteral("La tabla no tiene registros para exportar. ") + kept;
    case ExportOutcome::NotWritten:
        // A name that no writer takes ("lista.txt" typed in a dialog with no default).
        return QStringLiteral("No se exportó: el nombre %1 no termina en .htm ni en .xlsx.")
            .arg(path);
    case ExportOutcome::Written:
        break;
    }
    return {};
}

// The grid as the page writer reads it; moving the current cell runs the cell-leave handling,
// so a pending row is written as the writer passes.
class GridForPage final : public HtmlExport::Grid {
public:
    explicit GridForPage(FlexGrid& grid) : grid_(grid) {}
    long Rows() const override { return grid_.Rows(); }
    long Cols() const override { return grid_.Cols(); }
    QString TextMatrix(long row, long col) const override {
        return grid_.TextMatrix(int(row), int(col));
    }
    void setCurrentCell(long row, long col) override {
        grid_.setRow(int(row));
        grid_.setCol(int(col));
    }

private:
    FlexGrid& grid_;
};

} // namespace

void FrmContactos::Toolbar2_ButtonClick(const QString& key) {
    if (key.compare(QStringLiteral("Filtro"), Qt::CaseInsensitive) == 0) {
        // The edit closes first: the filter view hides the grid and its editor.
        if (!editor_->acceptEdit()) return;
        abrirFiltro();
        return;
    }
    const std::optional<Prompt::SaveDialog> dialog = ExportNames::dialogFor(key);
    if (!dialog) return;
    // The workbook comes from the recordset: a pending row is written first so it is in it.
    if (!resolvePendingRow(QStringLiteral("exportar"))) return;
    // Every failure goes on with the next step: a cancelled dialog, a writer that failed. A
    // writer's failure is told to the operator, and nothing is opened after it.
    std::optional<RuntimeError> failure;
    Procedure p([&](const RuntimeError& e) {
        if (e.number() == ErrorNumber::CannotResizeWindow) {
            showNormal();
            return OnFailure::Retry;
        }
        if (e.number() != cancelledDialog) failure = e;
        return OnFailure::Next;
    });
    QString name;
    p.step([&] {
        Prompt::SaveDialog d = *dialog;
        d.fileName = dlgFileName_;
        const std::optional<QString> chosen = prompts().saveFile(d);
        if (!chosen)
            raiseError(cancelledDialog, QStringLiteral("Se seleccionó Cancelar."),
                       QStringLiteral("DlgCmd1"));
        name = *chosen;
    });
    if (name.trimmed().isEmpty()) return;
    p.step([&] { name = ExportNames::completeName(name, dialog->defaultExt); });
    const bool existed = QFileInfo::exists(name);
    // The export holds the whole table: the rows still to come are read first.
    data1->FinishLoad();
    ExportOutcome outcome = ExportOutcome::NotWritten;
    p.step([&] {
        const ExportNames::Progress progress = ExportNames::progressDialog(this);
        switch (ExportNames::writerFor(name)) {
        case ExportNames::Writer::Html: {
            GridForPage page(*DataGrid1);
            const HtmlExport::Result result =
                HtmlExport::write(name, page, windowTitle(), ModGlobal::resourceFolder(), progress);
            outcome = result.cancelled ? ExportOutcome::Cancelled
                      : result.written ? ExportOutcome::Written
                                       : ExportOutcome::NotWritten;
            break;
        }
        case ExportNames::Writer::Excel: {
            // The writer replaces an old file only once the new one is complete, so the old one is
            // not deleted first: a cancelled or failed export keeps it.
            ExcelExport::Options options;
            options.progress = progress;
            const ExcelExport::Result result =
                ExcelExport::write(name, data1->Recordset(), windowTitle(), options);
            outcome = result.cancelled ? ExportOutcome::Cancelled
                      : result.written ? ExportOutcome::Written
                                       : ExportOutcome::NoRecords;
            const QString notice = ExcelExport::notice(result);
            if (!notice.isEmpty()) {
                prompts().message(notice, QStringLiteral("Aviso al operador"), Prompt::Buttons::Ok,
                                  Prompt::Icon::Information);
            }
            break;
        }
        case ExportNames::Writer::None:
            break;
        }
    });
    // Only a file written now is opened: an old file of the same name would pass for the export.
    if (outcome == ExportOutcome::Written) {
        p.step([&] { ExportNames::AbrirArchivo(name, true); });
    } else if (const QString told = exportNotice(outcome, failure, name, existed);
               !told.isEmpty()) {
        prompts().message(told, QStringLiteral("Aviso al operador"), Prompt::Buttons::Ok,
                          outcome == ExportOutcome::Cancelled ? Prompt::Icon::Information
                                                              : Prompt::Icon::Exclamation);
    }
    dlgFileName_.clear();
}

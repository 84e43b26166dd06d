#include "Lib_FrmCons3.h"

#include "BusquedaIncremental.h"
#include "CeldaCantidad.h"
#include "ColumnWidthsFile.h"
#include "DisposicionLista.h"
#include "NivelStock.h"
#include "SentenciaConsulta.h"
#include "data/DB_Dll.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"
#include "shared/RuntimeError.h"
#include "shared/Teclado.h"
#include "shared/Twips.h"

#include "BotonesConsulta.h"
#include <QComboBox>
#include <QDateTime>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <QScrollBar>
#include <QTreeWidget>

namespace {

const QString fuente = QStringLiteral("Lib_FrmCons3");

// Designed sizes of the controls, in twips.
constexpr double anchoInicial = 9000, altoInicial = 6600;
constexpr double anchoMarco = BotonesConsulta::anchoMarco, altoMarco = BotonesConsulta::altoMarco;
constexpr double arribaCajas = 60, margenLista = 45, altoBarra = 255;
constexpr long colorFoco = 0xFFFF00, colorSinFoco = 0xFFFFFF;

[[noreturn]] void sinObjeto() {
    raiseError(91, QStringLiteral("Variable de objeto o bloque With no establecida"), fuente);
}

// A list row that sorts as text without regard to letter case, as the platform's list does.
class FilaLista : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& otra) const override {
        const int columna = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(columna).compare(otra.text(columna), Qt::CaseInsensitive) < 0;
    }
};

// The policy of the column building: a search box that exists from an earlier load is reused;
// any other error is shown and ends the building.
ErrorPolicy politicaColumnas() {
    return Handler::passOver({ErrorNumber::ObjectAlreadyLoaded}, [](const RuntimeError& e) {
        prompts().message(e.description(), QString(), Prompt::Buttons::Ok, Prompt::Icon::None);
        return OnFailure::Leave;
    });
}

ErrorPolicy avisoAlOperador() {
    return [](const RuntimeError& e) {
        prompts().message(e.description(), QStringLiteral("Aviso al Operador"), Prompt::Buttons::Ok,
                          Prompt::Icon::Critical);
        return OnFailure::Leave;
    };
}

bool esSi(const QString& texto) {
    return texto.compare(u"SI", Qt::CaseInsensitive) == 0;
}

} // namespace

Lib_FrmCons3::Lib_FrmCons3(DB_Dll& db, ConfigReader leerConfiguracion, QString carpetaPrograma,
                           QWidget* parent)
    : QDialog(parent), db_(db), leer_(std::move(leerConfiguracion)),
      carpetaPrograma_(std::move(carpetaPrograma)) {
    setObjectName(QStringLiteral("Lib_FrmCons3"));
    setWindowTitle(QStringLiteral("Consulta..."));
    resize(px(anchoInicial), px(altoInicial));

    picFields_ = new QWidget(this);
    picFields_->setObjectName(QStringLiteral("picFields"));
    picFields_->move(0, 0);

    listView1_ = new QTreeWidget(picFields_);
    listView1_->setObjectName(QStringLiteral("ListView1"));
    listView1_->setRootIsDecorated(false);
    listView1_->setUniformRowHeights(true);
    listView1_->setAllColumnsShowFocus(true);
    listView1_->setSelectionMode(QAbstractItemView::SingleSelection);
    listView1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Label editing is refused: the rows are a choice, not data to edit.
    listView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView1_->setSortingEnabled(false);
    listView1_->header()->setStretchLastSection(false);
    listView1_->header()->setSectionsMovable(false);
    listView1_->header()->setSectionsClickable(true);
    listView1_->header()->setSortIndicatorShown(true);
    listView1_->header()->setMinimumSectionSize(0);
    listView1_->setColumnCount(0);

    crearCaja(0);

    const BotonesConsulta botones = BotonesConsulta::crear(this);
    frame1_ = botones.frame1;
    cmdAceptar_ = botones.aceptar;
    cmdCancelar_ = botones.cancelar;
    cmdNueva_ = botones.nueva;

    hScroll1_ = new QScrollBar(Qt::Horizontal, this);
    hScroll1_->setObjectName(QStringLiteral("HScroll1"));
    hScroll1_->setRange(0, 0);
    hScroll1_->setSingleStep(100);
    hScroll1_->setPageStep(1000);
    hScroll1_->setGeometry(0, 0, px(anchoInicial), px(altoBarra));
    // Above the strip it scrolls, which reaches down behind it.
    hScroll1_->raise();

    connect(cmdAceptar_, &QPushButton::clicked, this, [this] { aceptar(); });
    connect(cmdCancelar_, &QPushButton::clicked, this, [this] { cancelar(); });
    connect(cmdNueva_, &QPushButton::clicked, this, [this] { nuevaBusquedaOriginal(); });
    connect(listView1_, &QTreeWidget::itemDoubleClicked, this, [this] { aceptar(); });
    connect(listView1_->header(), &QHeaderView::sectionClicked, this,
            [this](int columna) { ordenarPorColumna(columna); });
    connect(hScroll1_, &QScrollBar::valueChanged, this, [this](int valor) {
        Procedure p(Handler::skip());
        p.step([&] { picFields_->move(-px(valor), picFields_->y()); });
    });

    // The window sees the keys before its controls (F12 anywhere).
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    redimensionar();
}

Lib_FrmCons3::~Lib_FrmCons3() = default;

int Lib_FrmCons3::px(double twips) const {
    return Twips::toPixels(twips, logicalDpiX());
}
double Lib_FrmCons3::tw(int pixels) const {
    return Twips::fromPixels(pixels, logicalDpiX());
}

QComboBox* Lib_FrmCons3::CmbSearch(int indice) const {
    if (indice < 0 || indice >= int(cajas_.size())) return nullptr;
    return cajas_[size_t(indice)];
}

QString Lib_FrmCons3::campoDeCaja(int indice) const {
    return camposCajas_.value(indice);
}

QComboBox* Lib_FrmCons3::crearCaja(int indice) {
    if (indice < int(cajas_.size())) return cajas_[size_t(indice)];
    auto* caja = new QComboBox(picFields_);
    caja->setObjectName(QStringLiteral("CmbSearch%1").arg(indice));
    caja->setEditable(true);
    // The boxes are typed into, never collected from: Enter must not add the text as an entry.
    caja->setInsertPolicy(QComboBox::NoInsert);
    caja->setToolTip(QStringLiteral("F5 realiza nueva busqueda"));
    caja->move(0, px(arribaCajas));
    caja->installEventFilter(this);
    if (caja->lineEdit()) caja->lineEdit()->installEventFilter(this);
    if (!cajas_.empty()) QWidget::setTabOrder(cajas_.back(), caja);
    cajas_.push_back(caja);
    camposCajas_.append(QString());
    connect(caja, &QComboBox::editTextChanged, this,
            [this, indice] { busquedaIncremental(indice); });
    connect(caja, &QComboBox::activated, this, [this, indice] { busquedaIncremental(indice); });
    colorDeCaja(indice, colorSinFoco);
    return caja;
}

int Lib_FrmCons3::indiceDeCaja(QObject* objeto) const {
    for (size_t i = 0; i < cajas_.size(); ++i) {
        if (objeto == cajas_[i] || objeto == cajas_[i]->lineEdit()) return int(i);
    }
    return -1;
}

void Lib_FrmCons3::colorDeCaja(int indice, long color) {
    QComboBox* caja = CmbSearch(indice);
    if (!caja) return;
    QPalette paleta = caja->palette();
    paleta.setColor(QPalette::Base, NivelStock::aQColor(color));
    caja->setPalette(paleta);
    if (caja->lineEdit()) caja->lineEdit()->setPalette(paleta);
}

void Lib_FrmCons3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (cargado_) return;
    cargado_ = true;
    cargar();
    if (QComboBox* caja = CmbSearch(0)) caja->setFocus();
}

void Lib_FrmCons3::cargar() {
    Procedure p(Handler::report(QStringLiteral("FORM_LOAD")));
    p.step([&] { modoArticulos_ = SQL.contains(u"articulos", Qt::CaseInsensitive); });
    p.step([&] {
        Valores = newCollection();
        Cantidades = newCollection();
    });
    p.step([&] { listView1_->clear(); });
    p.step([&] {
        SQL = u' ' + SQL;
        if (partes_) partes_->base.prepend(u' ');
    });
    p.step([&] { tablaConsulta_ = SentenciaConsulta::tablaDeSentencia(SQL); });
    p.step([&] {
        if (sentenciaOriginal_.isEmpty()) sentenciaOriginal_ = SQL;
        sentenciaActual_ = SQL;
    });
    ado::Recordset rs;
    p.step([&] {
        db_.AbrirRecordset(SQL, rs, {}, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
    });
    // A statement the server refused was reported by the open: the list stays empty rather
    // than every step after it reporting the closed recordset again.
    const bool abierto = rs.State() == ado::adStateOpen;
    // The check boxes come with the rows (a row shows one once it has a check state).
    if (abierto) p.step([&] { Encolumnar(rs); });
    if (abierto) p.step([&] { Leer(rs); });
    p.step([&] {
        if (OrdenarPorLwv) {
            ordenada_ = true;
            columnaOrden_ = 0;
            descendente_ = false;
        }
        ordenar();
    });
    // The platform's list starts with its first row selected.
    p.step([&] {
        if (listView1_->topLevelItemCount() > 0)
            listView1_->setCurrentItem(listView1_->topLevelItem(0));
    });
    p.step([&] {
        if (!FiltroInicial.trimmed().isEmpty()) CmbSearch(0)->setEditText(FiltroInicial);
    });
    p.step([&] { db_.CierraRecordset(rs); });
    p.step([&] {
        LeerAnchos();
        CalcularAncho();
    });
    p.step([&] { util_.PrepareForm(this, false); });
}

void Lib_FrmCons3::Encolumnar(ado::Recordset& rs) {
    Procedure p(politicaColumnas());
    p.step([&] { listView1_->setColumnCount(0); });
    const long campos = p.value<long>([&] { return rs.FieldCount(); }, 0);
    const bool conPrecios = SQL.contains(u"V_MA_ARTICULOS", Qt::CaseInsensitive) ||
                            SQL.contains(u"STK_MA_ARTICULOS", Qt::CaseInsensitive);
    const QFontMetrics metricas(font());
    for (long d = 0; d < campos && !p.left(); ++d) {
        long x = 0;
        QString nombre;
        p.step([&] {
            x = std::clamp<long>(rs.Fields(d).DefinedSize(), 0, 60);
            nombre = rs.Fields(d).Name();
        });
        p.step([&] {
            QComboBox* caja = crearCaja(int(d));
            camposCajas_[int(d)] = nombre;
            caja->setVisible(true);
        });
        QString encabezado = nombre;
        p.step([&] {
            if (!conPrecios) return;
            for (int clase = 1; clase <= 8; ++clase) {
                if (nombre.compare(QStringLiteral("PRECIO%1").arg(clase), Qt::CaseInsensitive) ==
                    0) {
                    QString aux;
                    encabezado = leer_(QStringLiteral("NOM_PCLASE%1").arg(clase), aux);
                }
            }
        });
        p.step([&] {
            const int columna = listView1_->columnCount();
            listView1_->setColumnCount(columna + 1);
            listView1_->headerItem()->setText(columna, encabezado);
            listView1_->setColumnWidth(columna, metricas.horizontalAdvance(QString(int(x), u'X')));
        });
    }
    // Later boxes follow the first one in the tab order, then the list.
    if (!cajas_.empty()) QWidget::setTabOrder(cajas_.back(), listView1_);
}

void Lib_FrmCons3::Leer(ado::Recordset& rs) {
    Procedure p(Handler::passOver({ErrorNumber::ItemNotFound},
                                  Handler::report(QStringLiteral("FORM_LOAD"))));
    if (p.value<bool>([&] { return rs.BOF(); }, true) || p.left()) return;
    const long campos = p.value<long>([&] { return rs.FieldCount(); }, 0);
    while (!p.left() && !p.value<bool>([&] { return rs.Eof(); }, true)) {
        // Each row starts without a colour, so a row whose stock cannot be read never takes
        // the colour of the row before it.
        Variant color;
        if (modoArticulos_) {
            p.step([&] {
                const Currency punto = NivelStock::cantidad(
                    util_.NullToEmpty(rs.Fields(QStringLiteral("PUNTOPEDIDO")).Value()));
                const Currency stock = NivelStock::cantidad(
                    util_.NullToEmpty(rs.Fields(QStringLiteral("Stock")).Value()));
                color = NivelStock::color(NivelStock::nivel(punto, stock), StkNivel1, StkNivel2,
                                          StkNivel3, StkNivel4);
            });
        }
        QTreeWidgetItem* fila = nullptr;
        p.step([&] {
            fila = new FilaLista(listView1_);
            fila->setText(0, util_.NullToEmpty(rs.Fields(0).Value()).toString().trimmed());
            if (CheckBoxes) fila->setCheckState(0, Qt::Unchecked);
        });
        if (CheckBoxes && fila) {
            p.step([&] {
                const QString valor = rs.Fields(CampoDevuelto).Value().toDisplayString().trimmed();
                if (!ValoresDefault.isEmpty() &&
                    ValoresDefault.contains(valor, Qt::CaseInsensitive)) {
                    fila->setCheckState(0, Qt::Checked);
                }
            });
        }
        for (long i = 1; i < campos && fila; ++i) {
            p.step([&] {
                fila->setText(int(i),
                              util_.FitToWidth(util_.NullToEmpty(rs.Fields(i).Value()).toString()));
            });
        }
        if (fila && esSi(MuestraStock) && modoArticulos_ &&
            !color.toDisplayString().trimmed().isEmpty()) {
            Procedure ignorar(Handler::skip());
            ignorar.step([&] {
                const QColor qcolor = NivelStock::aQColor(util_.ToLong(color.toDisplayString()));
                QFont negrita = listView1_->font();
                negrita.setBold(true);
                for (int c = 0; c < listView1_->columnCount(); ++c) {
                    fila->setForeground(c, qcolor);
                    fila->setFont(c, negrita);
                }
            });
        }
        p.step([&] { rs.MoveNext(); });
    }
}

void Lib_FrmCons3::ordenar() {
    if (!ordenada_) return;
    const Qt::SortOrder orden = descendente_ ? Qt::DescendingOrder : Qt::AscendingOrder;
    listView1_->header()->setSortIndicator(columnaOrden_, orden);
    listView1_->sortItems(columnaOrden_, orden);
}

void Lib_FrmCons3::LeerAnchos() {
    const ColumnWidthsFile archivo(carpetaPrograma_);
    tablaConsulta_ = ColumnWidthsFile::tablaDeAnchos(tablaConsulta_);
    const int columnas = listView1_->columnCount();
    const auto anchos = archivo.LeerAnchos(tablaConsulta_, columnas).anchosFinales(columnas);
    for (int i = 0; i < anchos.size(); ++i) {
        if (anchos[i]) listView1_->setColumnWidth(i, px(*anchos[i]));
    }
}

double Lib_FrmCons3::anchoColumna(int columna) const {
    return tw(listView1_->header()->sectionSize(columna - 1));
}

void Lib_FrmCons3::CalcularAncho() {
    QList<DisposicionLista::Columna> columnas;
    const QHeaderView* encabezado = listView1_->header();
    const int borde = listView1_->x() + listView1_->frameWidth();
    for (int i = 0; i < listView1_->columnCount(); ++i) {
        columnas.append(
            {tw(borde + encabezado->sectionPosition(i)), tw(encabezado->sectionSize(i))});
    }
    const QScreen* pantalla = screen();
    const double anchoPantalla = tw(pantalla ? pantalla->geometry().width() : 1024);
    const DisposicionLista::Anchos a = DisposicionLista::calcularAncho(columnas, anchoPantalla);
    for (int i = 0; i < a.cajas.size(); ++i) {
        QComboBox* caja = CmbSearch(i);
        if (!caja) continue;
        caja->setGeometry(px(a.cajas[i].izquierda), px(arribaCajas),
                          std::max(px(a.cajas[i].ancho), 0), caja->sizeHint().height());
    }
    listView1_->resize(px(a.lista), listView1_->height());
    picFields_->resize(px(a.franja), picFields_->height());
    hScroll1_->resize(px(a.barra), hScroll1_->height());
    hScroll1_->setMaximum(a.maximoBarra);
    resize(px(a.ventana), height());
    redimensionar();
}

void Lib_FrmCons3::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    redimensionar();
}

void Lib_FrmCons3::redimensionar() {
    Procedure p(Handler::skip());
    p.step([&] {
        const QComboBox* caja0 = CmbSearch(0);
        const int arribaLista =
            px(arribaCajas) + (caja0 ? caja0->sizeHint().height() : 0) + px(margenLista);
        const DisposicionLista::Medidas m =
            DisposicionLista::alRedimensionar(tw(height()), tw(width()), tw(frame1_->height()),
                                              tw(frame1_->width()), tw(hScroll1_->height()));
        picFields_->resize(picFields_->width(), px(m.altoFranja));
        listView1_->setGeometry(0, arribaLista, listView1_->width(), std::max(px(m.altoLista), 0));
        picFields_->resize(std::max(px(m.anchoFranja), 0), picFields_->height());
        listView1_->resize(std::max(px(m.anchoLista), 0), listView1_->height());
        frame1_->move(frame1_->x(), px(m.arribaMarco));
        hScroll1_->move(hScroll1_->x(), px(m.arribaBarra));
        hScroll1_->resize(std::max(px(m.anchoBarra), 0), hScroll1_->height());
        frame1_->move(px(m.izquierdaMarco), frame1_->y());
    });
}

int Lib_FrmCons3::IndiceColumna(const QString& Columna) const {
    const QString buscada = Columna.trimmed();
    const QTreeWidgetItem* encabezado = listView1_->headerItem();
    for (int i = 0; i < listView1_->columnCount(); ++i) {
        if (encabezado->text(i).trimmed().compare(buscada, Qt::CaseInsensitive) == 0) return i + 1;
    }
    return 0;
}

QString Lib_FrmCons3::celda(const QTreeWidgetItem* fila, int posicion) const {
    if (!fila) sinObjeto();
    if (posicion < 1 || posicion > listView1_->columnCount()) {
        raiseError(380, QStringLiteral("El valor de la propiedad no es válido"), fuente);
    }
    return fila->text(posicion - 1);
}

QTreeWidgetItem* Lib_FrmCons3::filaSeleccionada() const {
    QTreeWidgetItem* fila = listView1_->currentItem();
    return fila && fila->isSelected() ? fila : nullptr;
}

void Lib_FrmCons3::aceptar() {
    Procedure p(Handler::report(QStringLiteral("HScroll1_Change")));
    // A column that is not in the list gives the value read before it again.
    Variant valor;
    const auto leerColumna = [&](QTreeWidgetItem* fila, const QString& nombre) {
        const int columna = IndiceColumna(nombre);
        if (columna > 0) valor = celda(fila, columna);
    };
    if (CheckBoxes) {
        p.step([&] {
            if (CampoDevuelto.isEmpty()) CampoDevuelto = listView1_->headerItem()->text(0);
        });
        valor = QString();
        for (int i = 0; i < listView1_->topLevelItemCount() && !p.left(); ++i) {
            p.step([&] {
                QTreeWidgetItem* fila = listView1_->topLevelItem(i);
                if (fila->checkState(0) != Qt::Checked) return;
                leerColumna(fila, CampoDevuelto);
                if (!Valores) sinObjeto();
                Valores->Add(valor);
            });
        }
    } else if (QTreeWidgetItem* fila = filaSeleccionada()) {
        valor = QString();
        if (CmpsDevueltos) {
            for (long i = 1; i <= CmpsDevueltos->Count() && !p.left(); ++i) {
                p.step([&] {
                    leerColumna(fila, CmpsDevueltos->Item(i).toDisplayString());
                    if (!Valores) sinObjeto();
                    Valores->Add(valor);
                });
            }
        }
        p.step([&] {
            if (!CampoDevuelto.trimmed().isEmpty()) leerColumna(fila, CampoDevuelto);
        });
        p.step([&] { ValorDevuelto = valor; });
    }
    p.step([&] { QDialog::accept(); });
}

void Lib_FrmCons3::cancelar() {
    Procedure p(Handler::skip());
    p.step([&] { ValorDevuelto = QString(); });
    p.step([&] { CmpsDevueltos = nullptr; });
    p.step([&] { Valores = nullptr; });
    p.step([&] { QDialog::reject(); });
}

void Lib_FrmCons3::reject() {
    cancelar();
}

void Lib_FrmCons3::nuevaBusquedaOriginal() {
    Procedure p(Handler::skip());
    p.step([&] {
        SQL = sentenciaOriginal_;
        partes_.reset();
    });
    p.step([&] { cargar(); });
    p.step([&] { CmbSearch(0)->setFocus(); });
}

void Lib_FrmCons3::Cerrar() {
    Procedure p(avisoAlOperador());
    p.step([&] {
        if (!GrabarCfg) return;
        QList<double> anchos;
        for (int i = 1; i <= listView1_->columnCount(); ++i)
            anchos.append(anchoColumna(i));
        ColumnWidthsFile(carpetaPrograma_).GrabarAnchos(tablaConsulta_, anchos);
    });
    p.step([&] { listView1_->clear(); });
}

void Lib_FrmCons3::busquedaIncremental(int indice) {
    Procedure p(Handler::skip());
    p.step([&] {
        const int columna = int(util_.ToLong(QString::number(indice))) + 1;
        QStringList celdas;
        for (int i = 0; i < listView1_->topLevelItemCount(); ++i) {
            celdas.append(celda(listView1_->topLevelItem(i), columna));
        }
        const int encontrada =
            BusquedaIncremental::enLista(celdas, CmbSearch(indice)->currentText());
        if (encontrada < 0) return;
        QTreeWidgetItem* fila = listView1_->topLevelItem(encontrada);
        listView1_->setCurrentItem(fila);
        listView1_->scrollToItem(fila);
    });
}

void Lib_FrmCons3::nuevaBusqueda(int indice) {
    Procedure p(Handler::skip());
    QComboBox* caja = CmbSearch(indice);
    SentenciaConsulta::NuevaBusqueda nb;
    bool hecha = false;
    p.step([&] {
        const SentenciaConsulta::Partes partes =
            partes_ ? *partes_ : SentenciaConsulta::partesDe(SQL, sentenciaActual_);
        nb = SentenciaConsulta::nuevaBusquedaLista(partes, campoDeCaja(indice), caja->currentText(),
                                                   CfgUsaConsultaLIKE);
        hecha = true;
    });
    if (!hecha) return;
    p.step([&] {
        clausulaOrden_ = nb.partes.orden;
        partes_ = nb.partes;
        if (!CfgUsaConsultaLIKE) caja->setEditText(nb.textoCaja);
        SQL = nb.sql;
    });
    // The box keeps what was searched, so that the operator still sees it after the reload.
    const QString buscado = caja->currentText();
    p.step([&] { sentenciaActual_ = SQL; });
    p.step([&] { cargar(); });
    p.step([&] {
        if (QComboBox* despues = CmbSearch(indice)) despues->setEditText(buscado);
    });
    p.step([&] {
        if (listView1_->topLevelItemCount() > 0) return;
        prompts().message(QStringLiteral("La búsqueda de \"%1\" en %2 no encontró ninguna fila.")
                              .arg(buscado.trimmed(), campoDeCaja(indice)),
                          QStringLiteral("Aviso al Operador"), Prompt::Buttons::Ok,
                          Prompt::Icon::Information);
    });
}

void Lib_FrmCons3::ordenarPorColumna(int columna) {
    Procedure p(Handler::skip());
    p.step([&] {
        columnaOrden_ = columna;
        descendente_ = !descendente_;
        ordenada_ = true;
        ordenar();
    });
}

bool Lib_FrmCons3::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(event);
        const int codigo = KeyCode::fromQtKey(tecla->key());
        if (codigo == KeyCode::F12 && modoArticulos_) {
            informarFaltante();
            return true;
        }
        if (watched == listView1_) return teclaLista(tecla, codigo);
        if (const int caja = indiceDeCaja(watched); caja >= 0) return teclaCaja(caja, codigo);
    } else if (event->type() == QEvent::FocusIn) {
        if (const int caja = indiceDeCaja(watched); caja >= 0) {
            busquedaActual_ = short(caja);
            colorDeCaja(caja, colorFoco);
        }
    } else if (event->type() == QEvent::FocusOut) {
        if (const int caja = indiceDeCaja(watched); caja >= 0) colorDeCaja(caja, colorSinFoco);
    }
    return QDialog::eventFilter(watched, event);
}

bool Lib_FrmCons3::teclaCaja(int indice, int codigo) {
    if (codigo == KeyCode::F5) {
        nuevaBusqueda(indice);
        return true;
    }
    if (codigo == KeyCode::Down || codigo == KeyCode::Up || codigo == KeyCode::PageDown ||
        codigo == KeyCode::PageUp) {
        listView1_->setFocus();
        return true;
    }
    return false;
}

bool Lib_FrmCons3::teclaLista(QKeyEvent* event, int codigo) {
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    if (codigo == KeyCode::Space && CheckBoxes) return false;
    if (codigo == KeyCode::Enter) {
        aceptar();
        return true;
    }
    if ((codigo == KeyCode::Insert || (codigo == KeyCode::Delete && !shift)) && UsaCantidades) {
        cantidad(codigo, shift);
        return true;
    }
    if (codigo >= 47 && codigo <= 93) {
        agregarALaCaja(QString(QChar(codigo)));
        return true;
    }
    if (codigo == KeyCode::Space) {
        agregarALaCaja(QStringLiteral(" "));
        return true;
    }
    if (codigo == KeyCode::Backspace) {
        // Backspace takes back the last character typed, as it does in the box itself.
        Procedure p(Handler::report(QStringLiteral("ListView1_KeyDown")));
        p.step([&] {
            QComboBox* caja = CmbSearch(busquedaActual_);
            if (!caja) sinObjeto();
            caja->setEditText(
                caja->currentText().chopped(std::min<qsizetype>(1, caja->currentText().size())));
            caja->setFocus();
        });
        return true;
    }
    return false;
}

void Lib_FrmCons3::agregarALaCaja(const QString& texto) {
    Procedure p(Handler::report(QStringLiteral("ListView1_KeyDown")));
    p.step([&] {
        QComboBox* caja = CmbSearch(busquedaActual_);
        if (!caja) sinObjeto();
        caja->setEditText(caja->currentText() + texto);
        caja->setFocus();
    });
}

void Lib_FrmCons3::cantidad(int codigo, bool shift) {
    Procedure p(Handler::report(QStringLiteral("ListView1_KeyDown")));
    QTreeWidgetItem* fila = nullptr;
    int columna = 0;
    p.step([&] {
        fila = filaSeleccionada();
        if (!fila) sinObjeto();
        columna = IndiceColumna(CeldaCantidad::encabezado());
        celda(fila, columna);
    });
    if (p.left() || !fila) return;
    const auto marcar = [&](Qt::CheckState estado) {
        if (CheckBoxes) fila->setCheckState(0, estado);
    };
    if (codigo == KeyCode::Insert && shift) {
        QString respuesta;
        p.step([&] {
            respuesta = prompts().input(QStringLiteral("Ingrese la Cantidad del Articulo..."),
                                        QStringLiteral("Carga de Datos"), celda(fila, columna));
        });
        p.step([&] {
            const double v = CeldaCantidad::valor(respuesta);
            // A zero answer (also an empty or cancelled one) leaves a zero that reads back as 0.
            fila->setText(columna - 1,
                          v != 0 ? CeldaCantidad::dosDecimales(v) : QStringLiteral("0.00"));
        });
        p.step([&] { marcar(Qt::Checked); });
    } else if (codigo == KeyCode::Insert) {
        p.step([&] { fila->setText(columna - 1, CeldaCantidad::sumarUno(celda(fila, columna))); });
        p.step([&] { marcar(Qt::Checked); });
    } else {
        p.step([&] {
            const QString nuevo = CeldaCantidad::restarUno(celda(fila, columna));
            fila->setText(columna - 1, nuevo);
            if (CeldaCantidad::agotada(nuevo)) marcar(Qt::Unchecked);
        });
    }
}

void Lib_FrmCons3::informarFaltante() {
    Procedure p(Handler::skip());
    p.step([&] {
        QTreeWidgetItem* fila = filaSeleccionada();
        if (!fila) return;
        const auto texto = [&](const QString& columna) {
            const int c = IndiceColumna(columna);
            return c > 0 ? celda(fila, c) : QString();
        };
        const QString id = texto(QStringLiteral("idarticulo"));
        const QString descripcion = texto(QStringLiteral("Descripcion"));
        const int respuesta = prompts().message(
            QStringLiteral("Desea informar el articulo ") + id.trimmed() + u' ' +
                descripcion.trimmed() + u'\n' + QStringLiteral("como un faltante de stock?"),
            QStringLiteral("Atención!"), Prompt::Buttons::YesNo, Prompt::Icon::Question);
        if (respuesta != Prompt::Yes) return;
        QString sql = SentenciaConsulta::insertFaltante(
            Variant(QDateTime::currentDateTime()).toString(), id, descripcion, db_.gUsuario);
        db_.EjecutaConsultaSQL(sql);
    });
}

#include "lookup/lib_frmcons3.h"

#include "lookup/search_grid.h"
#include "lookup/search_grid_model.h"
#include "lookup/twips.h"
#include "platform/ui/keycodes.h"
#include "platform/ui/screenfit.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>

#include <climits>

Lib_FrmCons3::Lib_FrmCons3(SearchGrid& grid, QWidget* parent)
    : QDialog(parent), grid_(grid), modelo_(new SearchGridModel(grid, this)) {
    creaControles();
    colocaControles();
    conectaControles();

    llenaLista();
    for (int i = 0; i < cajas_.size(); ++i) {
        const QSignalBlocker bloqueo(cajas_[i]);
        cajas_[i]->setEditText(grid_.cajas()[i]);
    }
}

void Lib_FrmCons3::creaControles() {
    setObjectName(QStringLiteral("Lib_FrmCons3"));
    setWindowTitle(grid_.Caption);

    clip_ = new QWidget(this);
    picFields = new QWidget(clip_);
    picFields->setObjectName(QStringLiteral("picFields"));
    lblFieldName = new QLabel(picFields);
    lblFieldName->setObjectName(QStringLiteral("lblFieldName"));
    lblFieldName->hide();
    ListView1 = new QTreeView(picFields);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(modelo_);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListView1->header()->setSectionsClickable(true);
    ListView1->header()->setStretchLastSection(false);
    QFont bold = ListView1->font();
    bold.setBold(true);
    bold.setPointSize(10);
    ListView1->setFont(bold);
    ListView1->installEventFilter(this);

    Label1 = new QLabel(QStringLiteral("CONSULTA"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll1->setSingleStep(300);  // twips: a few letters a key press
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto boton = [this](const char* nombre, const QString& texto) {
        auto* b = new QPushButton(texto, Frame1);
        b->setObjectName(QString::fromLatin1(nombre));
        b->setAutoDefault(false);
        return b;
    };
    CmdAceptar = boton("CmdAceptar", QStringLiteral("&Aceptar"));
    CmdCancelar = boton("CmdCancelar", QStringLiteral("&Cancelar"));
    CmdNueva = boton("CmdNueva", QStringLiteral("&Nueva Busqueda"));
    CmdNuevo = boton("CmdNuevo", QStringLiteral("N&uevo"));
    CmdTodos = boton("CmdTodos", QStringLiteral("&Marcar"));
    CmdNueva->setVisible(grid_.NuevaVisible);
}

void Lib_FrmCons3::colocaControles() {
    resize(twips::aPixeles(7260), twips::aPixeles(5115));
    // One row of buttons; two, one over the other, on a screen too narrow for the one.
    botones_ = new QBoxLayout(QBoxLayout::LeftToRight, Frame1);
    botones_->setContentsMargins(twips::aPixeles(100), 6, twips::aPixeles(150), 6);
    auto* eleccion = new QHBoxLayout;
    eleccion->addWidget(CmdAceptar);
    eleccion->addWidget(CmdTodos);
    eleccion->addStretch();
    eleccion->addWidget(CmdCancelar);
    auto* altas = new QHBoxLayout;
    altas->addStretch();
    altas->addWidget(CmdNuevo);
    altas->addWidget(CmdNueva);
    botones_->addLayout(eleccion, 1);
    botones_->addLayout(altas, 1);
    ponBotones(INT_MAX);
    anchoUnaFila_ = Frame1->sizeHint().width();
    ponBotones(0);
    setMinimumWidth(Frame1->sizeHint().width());
    ui::keepWithinScreen(*this);
}

void Lib_FrmCons3::conectaControles() {
    connect(CmdAceptar, &QPushButton::clicked, this, [this] { grid_.CmdAceptar_Click(); });
    connect(CmdCancelar, &QPushButton::clicked, this, [this] { grid_.CmdCancelar_Click(); });
    connect(CmdNueva, &QPushButton::clicked, this, [this] { grid_.CmdNueva_Click(); });
    connect(CmdNuevo, &QPushButton::clicked, this, [this] { grid_.CmdNuevo_Click(); });
    connect(CmdTodos, &QPushButton::clicked, this, [this] { grid_.CmdTodos_Click(); });
    connect(HScroll1, &QScrollBar::valueChanged, this,
            [this](int v) { picFields->move(-twips::aPixeles(v), picFields->y()); });
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int columna) { grid_.ListView1_ColumnClick(columna); });
    connect(ListView1->header(), &QHeaderView::sectionResized, this,
            [this](int columna, int, int nuevo) {
                if (llenando_ || columna >= grid_.columnas().size()) return;
                grid_.setAncho(columna, twips::dePixeles(nuevo));
                ponCajas();
            });
    connect(ListView1, &QTreeView::doubleClicked, this, [this] { grid_.ListView1_DblClick(); });
    connect(ListView1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& actual) {
                if (!llenando_ && actual.isValid()) grid_.seleccionaFila(actual.row());
            });

    grid_.mideLetrasCon(this, [this](int n) {
        return twips::dePixeles(fontMetrics().horizontalAdvance(QString(n, 'X')));
    });
    // The list's own model follows the rows; the window keeps its controls from answering
    // while they change, then lays them out again.
    connect(&grid_, &SearchGrid::filasPorCambiar, this, [this] { llenando_ = true; });
    connect(&grid_, &SearchGrid::filasCambiadas, this, &Lib_FrmCons3::llenaLista);
    connect(&grid_, &SearchGrid::seleccionCambiada, this, &Lib_FrmCons3::muestraSeleccion);
    connect(&grid_, &SearchGrid::cajaCambiada, this, [this](int i) {
        if (i < cajas_.size()) {
            const QSignalBlocker bloqueo(cajas_[i]);
            cajas_[i]->setEditText(grid_.cajas()[i]);
        }
    });
    connect(&grid_, &SearchGrid::pideFoco, this, [this](int i) {
        if (i < 0) {
            ListView1->setFocus();
        } else if (i < cajas_.size()) {
            cajas_[i]->setFocus();
        }
    });
    connect(&grid_, &SearchGrid::ocultada, this,
            [this] { QDialog::done(grid_.Valores ? Accepted : Rejected); });
}

QComboBox* Lib_FrmCons3::CmbSearch(int index) const {
    return cajas_.value(index);
}

void Lib_FrmCons3::reject() {
    grid_.CmdCancelar_Click();
}

void Lib_FrmCons3::llenaLista() {
    llenando_ = true;
    const auto& columnas = grid_.columnas();
    for (int k = 0; k < columnas.size(); ++k) {
        ListView1->setColumnWidth(k, twips::aPixeles(columnas[k].ancho));
    }

    while (cajas_.size() < columnas.size()) {
        auto* caja = new QComboBox(picFields);
        caja->setObjectName(QStringLiteral("CmbSearch"));
        caja->setProperty("Index", static_cast<int>(cajas_.size()));
        caja->setEditable(true);
        caja->setInsertPolicy(QComboBox::NoInsert);
        caja->setToolTip(QStringLiteral("F5 realiza nueva busqueda"));
        caja->installEventFilter(this);
        caja->lineEdit()->installEventFilter(this);
        const int index = static_cast<int>(cajas_.size());
        connect(caja, &QComboBox::editTextChanged, this,
                [this, index](const QString& texto) { grid_.CmbSearch_Change(index, texto); });
        cajas_.append(caja);
    }
    for (int i = 0; i < cajas_.size(); ++i) {
        cajas_[i]->setVisible(i < columnas.size());
        if (i < columnas.size()) cajas_[i]->setProperty("DataField", columnas[i].campo);
    }
    llenando_ = false;
    muestraSeleccion();
    CalcularAncho();
}

void Lib_FrmCons3::muestraSeleccion() {
    const int fila = grid_.seleccion();
    if (fila < 0 || fila >= modelo_->rowCount()) return;
    const QModelIndex indice = modelo_->index(fila, 0);
    const bool antes = llenando_;
    llenando_ = true;
    ListView1->setCurrentIndex(indice);
    ListView1->scrollTo(indice);
    llenando_ = antes;
    // A row found by typing in a search box shows its cell in that box's column.
    muestraColumna(cajaEnfocada());
}

int Lib_FrmCons3::cajaEnfocada() const {
    for (int i = 0; i < cajas_.size(); ++i) {
        if (cajas_[i]->isVisible() && cajas_[i]->hasFocus()) return i;
    }
    return -1;
}

QRect Lib_FrmCons3::areaVisible() const {
    QRect area = clip_->rect();
    if (const QScreen* pantalla = screen()) {
        const QRect disponible = pantalla->availableGeometry();
        area &= QRect(clip_->mapFromGlobal(disponible.topLeft()), disponible.size());
    }
    return area;
}

void Lib_FrmCons3::muestraColumna(int columna) {
    if (columna < 0 || columna >= modelo_->columnCount()) return;
    const QRect area = areaVisible();
    if (area.isEmpty()) return;
    const QHeaderView* header = ListView1->header();
    const int x = xColumna(columna);
    const int w = header->sectionSize(columna);
    const int desplazado = -picFields->x();
    int nuevo = desplazado;
    if (x - desplazado < area.left() || w > area.width()) {
        nuevo = x - area.left();
    } else if (x - desplazado + w > area.left() + area.width()) {
        nuevo = x + w - area.left() - area.width();
    }
    nuevo = std::max(0, nuevo);
    if (nuevo == desplazado) return;
    const int valor = static_cast<int>(twips::dePixeles(nuevo));
    if (valor > HScroll1->maximum()) HScroll1->setMaximum(valor);
    HScroll1->setValue(valor);
}

int Lib_FrmCons3::xColumna(int columna) const {
    const int x = ListView1->header()->sectionPosition(columna);
    return ListView1->viewport()->mapTo(picFields, QPoint(x, 0)).x();
}

void Lib_FrmCons3::ponCajas() {
    const auto* header = ListView1->header();
    const int arriba = 0;
    for (int k = 0; k < cajas_.size() && k < modelo_->columnCount(); ++k) {
        const int x = xColumna(k);
        const int w = std::max(1, header->sectionSize(k) - twips::aPixeles(50));
        cajas_[k]->setGeometry(x, arriba, w, cajas_[k]->sizeHint().height());
    }
}

void Lib_FrmCons3::CalcularAncho() {
    double total = 0;
    for (const auto& c : grid_.columnas()) total += c.ancho;
    const int alturaCajas = cajas_.isEmpty() ? 0 : cajas_[0]->sizeHint().height();
    // The strip holds every column, however wide: a narrower one hid the last columns.
    // The list leaves room for its frame and its vertical scroll bar, so that the last
    // column is not under the bar.
    anchoTira_ = std::round(total) + 360;
    const int lista = std::max(twips::aPixeles(total + 360),
                               ListView1->header()->length() + 2 * ListView1->frameWidth() +
                                   ListView1->verticalScrollBar()->sizeHint().width());
    picFields->resize(std::max(twips::aPixeles(anchoTira_), lista), picFields->height());
    ListView1->setGeometry(0, alturaCajas, lista, std::max(0, picFields->height() - alturaCajas));
    ponCajas();
    const int pantalla =
        twips::dePixeles(QGuiApplication::primaryScreen()->availableGeometry().width());
    double ancho = grid_.anchoFormulario > 0 ? grid_.anchoFormulario : total + 360 + 280;
    if (grid_.anchoFormulario <= 0 && total + 360 + 360 >= pantalla) ancho = pantalla - 480;
    if (ancho >= pantalla) ancho = pantalla;
    resize(twips::aPixeles(ancho), height());
    setWindowTitle(grid_.Caption);
    CmdNueva->setVisible(grid_.NuevaVisible);
    Form_Resize();
}

void Lib_FrmCons3::Form_Resize() {
    const int w = width();
    const int h = height();
    ponBotones(w);
    const int frameAlto = Frame1->sizeHint().height();
    Frame1->setGeometry(0, h - frameAlto, w, frameAlto);
    const int etiqueta = Label1->sizeHint().height();
    Label1->setGeometry(0, 0, std::max(0, ListView1->width() - CmdNuevo->width()), etiqueta);
    const int barra = HScroll1->sizeHint().height();
    const int alto = std::max(0, h - frameAlto - etiqueta - barra - 8);
    clip_->setGeometry(twips::aPixeles(60), etiqueta, std::max(0, w - twips::aPixeles(120)), alto);
    picFields->resize(picFields->width(), alto);
    const int alturaCajas = cajas_.isEmpty() ? 0 : cajas_[0]->sizeHint().height();
    ListView1->resize(std::max(ListView1->width(), clip_->width()),
                      std::max(0, alto - alturaCajas));
    if (picFields->width() < clip_->width()) picFields->resize(clip_->width(), alto);
    HScroll1->setGeometry(0, etiqueta + alto + 4, std::max(0, w - twips::aPixeles(120)), barra);
    // The bar's reach, and at least as far as the strip's right end comes into the window.
    const int alcance =
        anchoTira_ <= 32700 ? static_cast<int>(std::round((anchoTira_ + 480) * 0.6)) : 32700;
    const int falta =
        static_cast<int>(twips::dePixeles(picFields->width() - areaVisible().width()));
    HScroll1->setMaximum(std::max(alcance, falta));
}

void Lib_FrmCons3::ponBotones(int ancho) {
    if (!botones_) return;
    const auto sentido =
        ancho >= anchoUnaFila_ ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (botones_->direction() == sentido) return;
    botones_->setDirection(sentido);
    botones_->activate();
}

void Lib_FrmCons3::keyPressEvent(QKeyEvent* event) {
    if (grid_.Form_KeyDown(ui::windowsKeyCode(event->key()), 0)) return;
    QDialog::keyPressEvent(event);
}

void Lib_FrmCons3::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

namespace {

// VB's shift state: 1 Shift, 2 Ctrl, 4 Alt.
int shiftDe(const QKeyEvent* e) {
    int s = 0;
    if (e->modifiers() & Qt::ShiftModifier) s |= 1;
    if (e->modifiers() & Qt::ControlModifier) s |= 2;
    if (e->modifiers() & Qt::AltModifier) s |= 4;
    return s;
}

}  // namespace

bool Lib_FrmCons3::eventFilter(QObject* watched, QEvent* event) {
    auto* caja = qobject_cast<QComboBox*>(watched);
    if (!caja && watched->parent()) caja = qobject_cast<QComboBox*>(watched->parent());
    const int index = caja ? cajas_.indexOf(caja) : -1;

    if (index >= 0 && watched == caja && event->type() == QEvent::FocusIn) {
        grid_.CmbSearch_GotFocus(index);
        muestraColumna(index);
        caja->setStyleSheet(QStringLiteral("QComboBox { background: #00ffff; }"));
    } else if (index >= 0 && watched == caja && event->type() == QEvent::FocusOut) {
        caja->setStyleSheet(QStringLiteral("QComboBox { background: #ffffff; }"));
    }
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const int codigo = ui::windowsKeyCode(key->key());
    // The form sees its keys before the controls do.
    if (grid_.Form_KeyDown(codigo, shiftDe(key))) return true;

    if (index >= 0) {
        if (codigo == 116 || codigo == 40 || codigo == 38 || codigo == 34 || codigo == 33) {
            grid_.CmbSearch_KeyDown(index, codigo, shiftDe(key));
            return true;
        }
        return false;
    }
    if (watched == ListView1) {
        // Keys the list has no use for go on to the form: Tab and Shift+Tab move the focus,
        // Left and Right scroll the strip sideways.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
        if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
            HScroll1->triggerAction(key->key() == Qt::Key_Left
                                        ? QAbstractSlider::SliderSingleStepSub
                                        : QAbstractSlider::SliderSingleStepAdd);
            return true;
        }
        const bool navega = codigo == 40 || codigo == 38 || codigo == 34 || codigo == 33 ||
                            codigo == 35 || codigo == 36;
        if (navega || codigo == 0 || codigo == 27) return false;
        // Keys of the numeric keypad and function keys type only what their text says.
        grid_.ListView1_KeyDown(codigo, shiftDe(key), key->text());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

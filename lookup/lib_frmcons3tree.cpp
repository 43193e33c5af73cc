#include "lookup/lib_frmcons3tree.h"

#include "lookup/code_tree.h"
#include "platform/ui/keycodes.h"
#include "platform/ui/screenfit.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

Lib_FrmCons3Tree::Lib_FrmCons3Tree(CodeTree& tree, QWidget* parent)
    : QDialog(parent), tree_(tree) {
    creaControles();
    colocaControles();
    conectaControles();
    llenaArbol();
}

void Lib_FrmCons3Tree::creaControles() {
    setObjectName(QStringLiteral("Lib_FrmCons3Tree"));
    setWindowTitle(QStringLiteral("Consulta..."));

    picFields = new QWidget(this);
    picFields->setObjectName(QStringLiteral("picFields"));
    lblFieldName = new QLabel(picFields);
    lblFieldName->setObjectName(QStringLiteral("lblFieldName"));
    lblFieldName->hide();
    CmbSearch = new QComboBox(picFields);
    CmbSearch->setObjectName(QStringLiteral("CmbSearch"));
    CmbSearch->setProperty("Index", 0);
    CmbSearch->setEditable(true);
    CmbSearch->setInsertPolicy(QComboBox::NoInsert);
    CmbSearch->setToolTip(QStringLiteral("F5 realiza nueva busqueda"));
    CmbSearch->installEventFilter(this);
    CmbSearch->lineEdit()->installEventFilter(this);
    TreeV = new QTreeWidget(picFields);
    TreeV->setObjectName(QStringLiteral("TreeV"));
    TreeV->setHeaderHidden(true);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    CmdAceptar = new QPushButton(QStringLiteral("&Aceptar"), Frame1);
    CmdAceptar->setObjectName(QStringLiteral("CmdAceptar"));
    CmdAceptar->setDefault(true);
    CmdCancelar = new QPushButton(QStringLiteral("&Cancelar"), Frame1);
    CmdCancelar->setObjectName(QStringLiteral("CmdCancelar"));
    CmdNueva = new QPushButton(QStringLiteral("&Nueva Busqueda"), Frame1);
    CmdNueva->setObjectName(QStringLiteral("CmdNueva"));
}

void Lib_FrmCons3Tree::colocaControles() {
    resize(480, 420);
    ui::keepWithinScreen(*this);
    auto* campos = new QVBoxLayout(picFields);
    campos->setContentsMargins(0, 0, 0, 0);
    campos->addWidget(CmbSearch);
    campos->addWidget(TreeV);
    auto* botones = new QHBoxLayout(Frame1);
    botones->addWidget(CmdAceptar);
    botones->addWidget(CmdCancelar);
    botones->addWidget(CmdNueva);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picFields);
    layout->addWidget(Frame1);
}

void Lib_FrmCons3Tree::conectaControles() {
    connect(CmdAceptar, &QPushButton::clicked, this, [this] { tree_.CmdAceptar_Click(); });
    connect(CmdCancelar, &QPushButton::clicked, this, [this] { tree_.CmdCancelar_Click(); });
    connect(CmdNueva, &QPushButton::clicked, this, [this] { tree_.CmdNueva_Click(); });
    connect(CmbSearch, &QComboBox::editTextChanged, this,
            [this](const QString& texto) { tree_.CmbSearch_Change(texto); });
    connect(TreeV, &QTreeWidget::itemDoubleClicked, this, [this] { tree_.TreeV_DblClick(); });
    connect(TreeV, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!llenando_ && item) tree_.seleccionaNodo(static_cast<int>(items_.indexOf(item)));
    });
    connect(TreeV, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        if (llenando_) return;
        tree_.TreeV_NodeCheck(static_cast<int>(items_.indexOf(item)),
                              item->checkState(0) == Qt::Checked);
    });

    connect(&tree_, &CodeTree::nodosCambiados, this, &Lib_FrmCons3Tree::llenaArbol);
    connect(&tree_, &CodeTree::nodoCambiado, this, [this](int i) {
        if (QTreeWidgetItem* it = items_.value(i)) {
            llenando_ = true;
            it->setCheckState(0, tree_.nodos()[i].marcada ? Qt::Checked : Qt::Unchecked);
            llenando_ = false;
        }
    });
    connect(&tree_, &CodeTree::seleccionCambiada, this, [this] {
        if (QTreeWidgetItem* it = items_.value(tree_.seleccion())) {
            llenando_ = true;
            TreeV->setCurrentItem(it);
            TreeV->scrollToItem(it);
            llenando_ = false;
        }
    });
    connect(&tree_, &CodeTree::pideFocoArbol, this, [this] { TreeV->setFocus(); });
    connect(&tree_, &CodeTree::cajaVaciada, this, [this] {
        const QSignalBlocker bloqueo(CmbSearch);
        CmbSearch->setEditText(QString());
    });
    connect(&tree_, &CodeTree::ocultada, this,
            [this] { QDialog::done(tree_.Valores ? Accepted : Rejected); });
}

void Lib_FrmCons3Tree::accept() {
    tree_.CmdAceptar_Click();
}

void Lib_FrmCons3Tree::reject() {
    tree_.CmdCancelar_Click();
}

void Lib_FrmCons3Tree::llenaArbol() {
    llenando_ = true;
    TreeV->clear();
    items_.clear();
    const auto& nodos = tree_.nodos();
    for (int i = 0; i < nodos.size(); ++i) {
        QTreeWidgetItem* padre = nodos[i].padre >= 0 ? items_.value(nodos[i].padre) : nullptr;
        auto* item = padre ? new QTreeWidgetItem(padre) : new QTreeWidgetItem(TreeV);
        item->setText(0, nodos[i].texto);
        if (tree_.CheckBoxes) {
            item->setCheckState(0, nodos[i].marcada ? Qt::Checked : Qt::Unchecked);
        }
        items_.append(item);
    }
    if (!items_.isEmpty()) items_[0]->setExpanded(true);
    if (QTreeWidgetItem* it = items_.value(tree_.seleccion())) TreeV->setCurrentItem(it);
    llenando_ = false;
}

bool Lib_FrmCons3Tree::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == CmbSearch || watched == CmbSearch->lineEdit()) &&
        event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int codigo = ui::windowsKeyCode(key->key());
        if (codigo == 116 || codigo == 40 || codigo == 38 || codigo == 34 || codigo == 33) {
            tree_.CmbSearch_KeyDown(codigo, 0, CmbSearch->currentText());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

#pragma once

#include <QDialog>
#include <QList>

class CodeTree;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The code tree window: shows a CodeTree's nodes and hands it the operator's typing, keys,
// checks and buttons. Enter accepts and Esc cancels.
class Lib_FrmCons3Tree : public QDialog {
    Q_OBJECT
public:
    explicit Lib_FrmCons3Tree(CodeTree& tree, QWidget* parent = nullptr);

    CodeTree& tree() { return tree_; }
    // The tree item of node `index` (index order of the CodeTree).
    QTreeWidgetItem* item(int index) const { return items_.value(index); }

    QTreeWidget* TreeV;
    QComboBox* CmbSearch;
    QFrame* Frame1;
    QWidget* picFields;
    QLabel* lblFieldName;
    QPushButton* CmdAceptar;
    QPushButton* CmdCancelar;
    QPushButton* CmdNueva;

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The constructor's three parts: the controls with their names and texts, their places,
    // and what each of them and the tree set off.
    void creaControles();
    void colocaControles();
    void conectaControles();
    void llenaArbol();

    CodeTree& tree_;
    QList<QTreeWidgetItem*> items_;
    bool llenando_ = false;
};

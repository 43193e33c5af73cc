#pragma once

#include "lookup/search_grid.h"

#include <QDialog>
#include <QList>

class QBoxLayout;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;
class QTreeView;
class SearchGridModel;

// The search grid window: shows a SearchGrid's columns, search boxes and rows, and hands it
// the operator's keys, clicks and typing. Closing the window cancels.
class Lib_FrmCons3 : public QDialog {
    Q_OBJECT
public:
    explicit Lib_FrmCons3(SearchGrid& grid, QWidget* parent = nullptr);

    SearchGrid& grid() { return grid_; }
    // The search box over column `index`.
    QComboBox* CmbSearch(int index) const;

    QTreeView* ListView1;
    QWidget* picFields;
    QLabel* lblFieldName;
    QLabel* Label1;
    QScrollBar* HScroll1;
    QFrame* Frame1;
    QPushButton* CmdAceptar;
    QPushButton* CmdCancelar;
    QPushButton* CmdNueva;
    QPushButton* CmdNuevo;
    QPushButton* CmdTodos;

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The constructor's three parts: the controls with their names and texts, their places,
    // and what each of them and the grid set off.
    void creaControles();
    void colocaControles();
    void conectaControles();
    // The list, its widths and the search boxes as the grid's rows and columns are now.
    void llenaLista();
    void muestraSeleccion();
    // Scrolls the strip sideways until column `columna` (its search box and its cells) is in
    // sight, from its left edge, as much of it as fits.
    void muestraColumna(int columna);
    // The left edge of column `columna` on the strip, where its search box stands.
    int xColumna(int columna) const;
    // The part of the strip's window that is on the screen, in its own coordinates.
    QRect areaVisible() const;
    // The search box that has the focus; -1 when none has it.
    int cajaEnfocada() const;
    void CalcularAncho();
    void Form_Resize();
    void ponCajas();
    // The buttons in one row when `ancho` pixels hold it, else in two.
    void ponBotones(int ancho);

    SearchGrid& grid_;
    SearchGridModel* modelo_;
    QWidget* clip_;
    QList<QComboBox*> cajas_;
    QBoxLayout* botones_ = nullptr;
    int anchoUnaFila_ = 0;  // pixels the buttons need in one row
    double anchoTira_ = 0;  // twips
    bool llenando_ = false;
};

#pragma once

#include "lookup/datos.h"
#include "platform/vb/variant.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// The code tree's nodes and behaviour: hierarchical codes (families, cost centres, accounts,
// positions) shown as a tree, type-ahead, the server re-query, check propagation and the
// validated acceptance. The window Lib_FrmCons3Tree shows it; the lookup service sets its
// members and reads the results, as it does with the search grid. It tells its window what
// changed through its signals.
class CodeTree : public QObject {
    Q_OBJECT
public:
    struct Nodo {
        QString clave;   // "A" and the code; the root is "A"
        QString texto;   // code, " - ", description
        int padre = -1;  // index of the parent node; -1 for the root
        bool marcada = false;
    };

    QString sql;
    QString CampoDevuelto;
    std::optional<QStringList> CmpsDevueltos;
    bool CheckBoxes = false;
    QString gConnString;
    vb::Variant ValorDevuelto;
    QString FiltroInicial;
    QString CampoBusqueda;
    bool OrdenarPorLwv = false;
    std::optional<QStringList> Valores;
    std::optional<QList<double>> Cantidades;
    bool UsaCantidades = false;

    // In index order; the root first.
    const QList<Nodo>& nodos() const { return nodos_; }
    int seleccion() const { return seleccion_; }
    void seleccionaNodo(int nodo);
    // Replaces the tree (the builders' result), with the root selected.
    void ponNodos(QList<Nodo> nodos);
    bool oculta() const { return oculta_; }

    void Form_Load();
    void Form_Unload();
    void ArmarTreeVFamilias();
    void ArmarTreeVAutomatico();

    // Nodes from rows of code and description: each hangs from the longest code already in
    // the tree that begins its own, the root when none does.
    static QList<Nodo> arbolPorPrefijos(const QList<QList<vb::Variant>>& filas);
    // Nodes from the families statement: each hangs from the family in its third column.
    static QList<Nodo> arbolFamilias(const QList<QList<vb::Variant>>& filas);
    static QString sqlFamilias();

    void CmbSearch_Change(const QString& texto);
    void CmbSearch_KeyDown(int KeyCode, int Shift, const QString& textoCaja);
    // The re-query text for the box text.
    QString sqlRequery(const QString& textoCaja) const;
    // The operator checked or unchecked a node: every node below it takes its state.
    void TreeV_NodeCheck(int nodo, bool marcada);
    void CmdAceptar_Click();
    void TreeV_DblClick() { CmdAceptar_Click(); }
    void CmdCancelar_Click();
    void CmdNueva_Click();

signals:
    void nodosCambiados();        // the tree was rebuilt
    void nodoCambiado(int nodo);  // one node's check
    void seleccionCambiada();
    void pideFocoArbol();
    void cajaVaciada();
    // Accepted or cancelled: the window closes.
    void ocultada();

private:
    void arma(const QString& rutina, bool familias);

    QList<Nodo> nodos_;
    int seleccion_ = -1;
    bool oculta_ = false;
};

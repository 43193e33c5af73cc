#pragma once

#include "lookup/datos.h"
#include "lookup/search_grid_rows.h"
#include "platform/vb/variant.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The search grid's rows and behaviour: the lookup's query and its columns, type-ahead, the
// server re-query, the list's keys, quantities and acceptance. The window Lib_FrmCons3 shows
// it and hands it the operator's actions; the lookup service sets its members and reads the
// results. It tells its window and its list what changed through its signals.
class SearchGrid : public QObject {
    Q_OBJECT
public:
    struct Columna {
        QString titulo;
        QString campo;     // the field its search box searches
        double ancho = 0;  // twips
    };
    using Fila = FilaGrilla;

    // Set by the caller before the load.
    vb::Variant StkNivel1, StkNivel2, StkNivel3, StkNivel4;
    QString MuestraStock;
    QString sql;
    QString CampoDevuelto;
    std::optional<QStringList> CmpsDevueltos;
    bool CheckBoxes = false;
    QString gConnString;  // kept for the caller; the query runs through the database class
    vb::Variant ValorDevuelto;
    QString FiltroInicial;
    QString CampoBusqueda;
    bool OrdenarPorLwv = false;
    std::optional<QStringList> Valores;
    // One quantity per returned value when the lookup asks quantities.
    std::optional<QList<double>> Cantidades;
    bool UsaCantidades = false;
    QString ValoresDefault;
    bool CfgUsaConsultaLIKE = false;
    bool GrabarCfg = false;
    bool UsarUDBC = false;

    // The window's caption, whether it offers "&Nueva Busqueda", and its width in twips
    // (0: sized to the columns).
    QString Caption = QStringLiteral("Consulta...");
    bool NuevaVisible = true;
    double anchoFormulario = 0;

    // State of the loaded grid.
    bool EsConsultaArticulos = false;
    QString TablaConsultada;
    QString SqlInicial;
    QString SqlBase;
    QString RestoSql;
    int IndiceBusqueda = 0;
    long ContadorFilas = 0;

    const QList<Columna>& columnas() const { return columnas_; }
    void setAncho(int columna, double twips) { columnas_[columna].ancho = twips; }
    const SearchGridRows& filas() const { return filas_; }
    // 0-based; -1 when no row is selected.
    int seleccion() const { return seleccion_; }
    void seleccionaFila(int fila);
    // The text of each search box.
    const QStringList& cajas() const { return cajas_; }
    bool oculta() const { return oculta_; }

    // The columns take the width of their letters "X" from `medida` (n letters, in twips, in
    // the font of `ventana`) while `ventana` lives; 120 twips a letter without one.
    void mideLetrasCon(const QObject* ventana, std::function<double(int)> medida);

    // Runs the query and fills the rows, the columns and their stored widths.
    void Form_Load();
    // The part of the load after the query: columns, rows, order, stored widths and the
    // initial filter.
    void muestraResultado(const lookup::ResultadoConsulta& resultado);
    // Saves the widths when GrabarCfg asks it.
    void Form_Unload();

    // The option lists: one column of the given title and width, rows added by the caller.
    void defineColumnaUnica(const QString& titulo, double ancho);
    void agregaFila(const QString& texto, bool marcada);

    // 1-based row index of the first row whose cell in column `Clave` (0 or 1 the row
    // text, k the k-th sub-item) begins with `QueValor`; 0 when none.
    long Busqueda(long Clave, const QString& QueValor) const;
    // 1-based index of the column titled `Columna`; 0 when none.
    int IndiceColumna(const QString& Columna) const;

    void CmbSearch_GotFocus(int Index);
    void CmbSearch_Change(int Index, const QString& texto);
    void CmbSearch_KeyDown(int Index, int KeyCode, int Shift);
    // `texto` is the text the key types (empty for keys that type nothing).
    void ListView1_KeyDown(int KeyCode, int Shift, const QString& texto = {});
    // Keys the form sees first; true when the key was used.
    bool Form_KeyDown(int KeyCode, int Shift);
    void ListView1_ColumnClick(int columna);
    void ListView1_DblClick() { CmdAceptar_Click(); }
    // The operator checked or unchecked a row with the mouse.
    void ListView1_ItemCheck(int fila, bool marcada);
    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void CmdNueva_Click();
    void CmdNuevo_Click();
    void CmdTodos_Click();

    // The statement that reports a stock shortage (the values escaped, the time as a date).
    static QString sqlFaltante(const QString& codigo, const QString& descripcion,
                               const QString& usuario, const vb::DateTime& cuando);
    // The re-query text: `condicion` on `campo` added to the SQL of the last load.
    QString sqlRequery(const QString& campo, QString& textoCaja);
    // The operator's text as a LIKE pattern: "*" (and a blank when `blancoComodin`) is the
    // one wildcard, every other character stands for itself: between brackets on SQL Server
    // and the embedded engine, behind a backslash (the ESCAPE character) on Oracle.
    static QString patronLike(const QString& texto, bool blancoComodin, bool oracle);
    // The maintenance program and its parameter for a looked-up table.
    static std::pair<QString, QString> programaMantenimiento(const QString& tabla);

signals:
    // The rows or columns are about to be replaced, reordered or re-checked; filasCambiadas
    // follows once they are, however many changes nest in between.
    void filasPorCambiar();
    void filasCambiadas();
    // One row's check or cells.
    void filaCambiada(int fila);
    void seleccionCambiada();
    // A search box's text set by the grid.
    void cajaCambiada(int caja);
    // The focus goes to a search box, or to the list for -1.
    void pideFoco(int caja);
    // Accepted or cancelled: the window closes.
    void ocultada();

private:
    // The rows change while one lives: the first announces it, the last says it is done.
    class Cambio;

    // The load but for the initial filter; false when nothing was read.
    bool carga();
    void aplicaFiltroInicial();
    // A query's rows become the grid's: its fields first, then each row's values, then the
    // order and the stored widths.
    void empiezaLectura(const QList<lookup::CampoConsulta>& campos);
    void Leer(const QList<vb::Variant>& valores);
    void terminaLectura(const QList<lookup::CampoConsulta>& campos);
    void Encolumnar(const QList<lookup::CampoConsulta>& campos);
    void ordena();
    void ponCaja(int index, const QString& texto);
    QString celda(int fila, int columna) const;
    bool esPorDefecto(const QString& valor) const;
    double cantidad(int fila) const;
    void ponCantidad(int fila, const QString& texto, bool marcada);
    void marca(int fila, bool marcada);

    // What the rows being read need of their fields: the fields shown (password columns
    // left out) and where the returned value and the stock figures are.
    struct Lectura {
        QList<int> campos;
        int devuelto = -1;
        int puntoPedido = -1;
        int stock = -1;
        bool colorea = false;
    };

    Lectura lectura_;
    QPointer<const QObject> medidor_;
    std::function<double(int)> anchoLetras_;
    int cambios_ = 0;  // changes of the rows under way
    QList<Columna> columnas_;
    SearchGridRows filas_;
    QStringList cajas_;
    int seleccion_ = -1;
    bool oculta_ = false;
    bool ordenada_ = false;
    int claveOrden_ = 0;
    bool descendente_ = false;
};

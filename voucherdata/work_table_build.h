#pragma once

#include "platform/ado/ado.h"
#include "platform/vb/steps.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace voucherdata {

// One run of GeneraAuxiliarComprobantes: the values of the run and of the voucher being
// written, and the stages that append its rows. Each stage passes over its failing
// statements; the QR component's E_FAIL ends the stage that is running.
class WorkTableBuild {
public:
    // Values of the run.
    QString TC;  // four characters, as the tables hold it
    QString IdTarea;
    std::int16_t LineasTitulo = 0;
    bool NoMostrarImportesEnOT = false;
    QString PosicionLogo = QStringLiteral("NO");

    // Values of the voucher being written.
    ado::Recordset comprobante;  // its row of V_MV_CPTE
    QString Sucursal, Numero, Letra, IdComplemento;
    QString CAE;
    bool EsFCE = false;
    QString Moneda;
    QString ImporteLetras;
    QString filtro;  // " WHERE TC = ... AND IDCOMPLEMENTO = n" of the voucher

    // The stages, in the order a voucher runs them.
    void headerRow();
    void qrImages();
    void tasks();
    void supplies();
    void pendingSupplies();
    void otherConcepts();
    void footerRow();
    void amountInWords();
    void headerStamp();

    // Shared by the stages.
    void titleBlock(const QString& titulo);
    QString idComprobante() const { return Sucursal + Numero + Letra; }
    // " WHERE USUARIO = ... AND IDCOMPLEMENTO = n": this station's rows of the voucher.
    QString stationRows() const;

    // Batch-dispatch notes of a supply line and the voucher's batch row.
    void dispatchSuffix(QString& lote);
    void dispatchNote(const QString& lote);
    void batchesRow(const QString& lista);

    // The station key as the system gives it, asked afresh each time.
    static QString station();
    // The voucher type, trimmed (the tables hold it padded to four), is `tipo` case aside.
    bool typeIs(const char* tipo) const;
    // A source query opened forward-only and read-only.
    static void openRead(const QString& sql, ado::Recordset& rs);
    // At the end of its rows; a recordset that could not be opened has none.
    static bool atEnd(const ado::Recordset& rs);
    // A column of the current row as text (Null gives the empty text).
    static QString field(const ado::Recordset& rs, const char* name);
    // Text between apostrophes, its own apostrophes doubled.
    static QString quoted(const QString& text);
    // Handler of a stage: E_FAIL leaves it, any other error passes the statement over.
    static vb::ErrorHandler stageHandler();

private:
    // Runs an action statement; its errors stay on the connection.
    static void execute(const QString& sql);
    // Empties the pair list and puts the five key pairs of a row of kind `tipo` in it.
    void startRow(const QString& tipo) const;
    static void pair(const QString& campo, const QString& valor);
    // A pair whose value is worked out as a step of `paso`: a value that fails leaves its
    // pair out, as a failing statement is passed over.
    static void pair(vb::Steps& paso, const QString& campo, const std::function<QString()>& valor);
    // "INSERT INTO AUX_MV_CPTE " and the pair list, which it empties.
    static void insertPairs();
    // After an insert: the first error the connection lists, in a message box.
    static void showInsertError();
    // The text of an observation of this voucher ("EN", "PP"): the first one's, or none.
    bool observation(const QString& condicion, QString& texto);
    // The header or footer row: `columna` holds the text.
    void textRow(const QString& columna, const QString& texto);
    // The task or daily-log rows of `rs`, to its end.
    void taskRows(vb::Steps& paso, ado::Recordset& rs, const char* adicional, const char* minutos,
                  bool importes);
    // A task or daily-log row; `adicional` and `minutos` name the source's columns.
    void taskRow(vb::Steps& paso, const ado::Recordset& rs, const char* adicional,
                 const char* minutos, bool importes);
};

}  // namespace voucherdata

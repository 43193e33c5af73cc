#include "tests/receipts/receipt_world.h"

#include "core/globals.h"
#include "platform/vendrix/clsutil.h"
#include "receipts/imp_recibos.h"

namespace rctest {

namespace {

const char* const kColumns[] = {
    "TC",        "USUARIO",  "TIPO",       "SECCION",     "IDCOMPROBANTE", "IDCOMPLEMENTO",
    "COLUMNA1",  "COLUMNA2", "COLUMNA3",   "COLUMNA4",    "COLUMNA5",      "COLUMNA6",
    "COLUMNA7",  "COLUMNA8", "ENCABEZADO", "PIEDEPAGINA", "COLUMNA9",      "COLUMNA10",
    "COLUMNA11",
};

}  // namespace

ReceiptWorld::ReceiptWorld() : WorkTableWorld(QStringLiteral("pc-caja"), QStringLiteral("ana")) {
    ModGlobal::gCantidadDecimales = QStringLiteral("2");
    load(QStringLiteral("tests/data/receipts/receipts.sql"));
    openDatabase();
}

ReceiptWorld::~ReceiptWorld() {
    ModGlobal::gCantidadDecimales.clear();
}

QStringList ReceiptWorld::prepare(const QString& tc, const QString& id, const QString& cuenta,
                                  std::int32_t copias, std::int32_t items, QStringList formulas) {
    IMP_Recibos::GeneraAuxiliarRecibo_PagoCobranza(tc, id.mid(0, 4), id.mid(4, 8), id.mid(12, 1),
                                                   cuenta, formulas, copias, items);
    return formulas;
}

void ReceiptWorld::application(const QString& tc, const QString& id, const QString& tcOrigen,
                               const QString& idOrigen, const QString& importe,
                               const QString& cuenta, const QString& aplicaTc,
                               const QString& aplicaId) {
    data.exec(QStringLiteral(
                  "INSERT INTO MV_APLICACION (TC, IDCOMPROBANTE, SUCURSAL_ORIGEN, NUMERO_ORIGEN, "
                  "LETRA_ORIGEN, TCO_ORIGEN, IDCOMPROBANTE_ORIGEN, IMPORTE, TC_PRINT, "
                  "IDCOMPROBANTE_PRINT, CUENTA) VALUES ('%1', '%2', '%3', '%4', '%5', '%6', "
                  "'%7', %8, '%9', '%10', '%11')")
                  .arg(aplicaTc.isEmpty() ? tc : aplicaTc, aplicaId.isEmpty() ? id : aplicaId,
                       idOrigen.mid(0, 4), idOrigen.mid(4, 8), idOrigen.mid(12, 1), tcOrigen,
                       idOrigen, importe, gUtil().Rellena(tc, 4))
                  .arg(id, cuenta));
}

void ReceiptWorld::entryLine(const QString& tc, const QString& id, const QString& cuenta,
                             const QString& importe, const QString& otrasColumnas,
                             const QString& otrosValores) {
    data.exec(QStringLiteral("INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, Cuenta, "
                             "Importe%1) VALUES ('%2', '%3', '%4', '%5', '%6', %7%8)")
                  .arg(otrasColumnas.isEmpty() ? QString() : QStringLiteral(", ") + otrasColumnas,
                       gUtil().Rellena(tc, 4), id.mid(0, 4), id.mid(4, 8), id.mid(12, 1), cuenta,
                       importe,
                       otrosValores.isEmpty() ? QString() : QStringLiteral(", ") + otrosValores));
}

QString ReceiptWorld::dump() const {
    return dumpWorkTable(kColumns);
}

QString ReceiptWorld::dumpFormulas(const QStringList& formulas) {
    QString out = QStringLiteral("# The formula list, one line per index\n");
    for (qsizetype i = 0; i < formulas.size(); ++i)
        out += QStringLiteral("%1 %2\n").arg(i).arg(zxtest::visible(formulas[i]));
    return out;
}

namespace {

// Formulas, then the work table.
QString output(const ReceiptWorld& w, const QStringList& formulas) {
    return ReceiptWorld::dumpFormulas(formulas) + u'\n' + w.dump();
}

}  // namespace

const QList<Scenario>& scenarios() {
    static const QList<Scenario> list = {
        // A collection driven by its entry: cash, a cheque with the drawer's observations, an
        // IVA retention, a passed-over customer line, a card, SUSS and other retentions, an
        // own bank cheque of an unknown bank, a discount and a debit; a credit note applied
        // with it; filler rows up to twelve and two copies.
        {"cobranza",
         [](ReceiptWorld& w) {
             w.config(QStringLiteral("IncluirCuitLibrador"), QStringLiteral("si"));
             return output(
                 w, w.prepare(QStringLiteral("CB"), QStringLiteral("000100000010X"), {}, 2, 12));
         }},
        // A payment order of one supplier driven by its applied purchase invoices: the
        // supplier's own line passed over, a Ganancias retention, an invoice of the supplier
        // only in the entries, a supplier credit note; no filler rows, one copy.
        {"orden_de_pago",
         [](ReceiptWorld& w) {
             return output(w, w.prepare(QStringLiteral("OPG"), QStringLiteral("000300000020X"),
                                        QStringLiteral("P0001"), 1, -1));
         }},
        // No entry: the retentions, discount and SUSS of the voucher's own record.
        {"sin_asiento",
         [](ReceiptWorld& w) {
             return output(
                 w, w.prepare(QStringLiteral("CB"), QStringLiteral("000100000030X"), {}, 0, 0));
         }},
        // More applied vouchers than a page holds, cash and a card without member number or
        // instalments, no concept; three copies.
        {"mas_filas_que_pagina",
         [](ReceiptWorld& w) {
             const QString id = QStringLiteral("000100000040X");
             for (int i = 1; i <= 12; ++i) {
                 const QString origen = QStringLiteral("0002%1A").arg(200 + i, 8, 10, QChar(u'0'));
                 w.application(QStringLiteral("CB"), id, QStringLiteral("FC"), origen,
                               QString::number(i * 10));
                 w.data.exec(QStringLiteral("INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, Importe, "
                                            "fecha) VALUES ('FC', '%1', %2, '2026-10-%3')")
                                 .arg(origen)
                                 .arg(i * 100)
                                 .arg(i + 10));
             }
             w.entryLine(QStringLiteral("CB"), id, QStringLiteral("1.1.01"),
                         QStringLiteral("600"));
             w.entryLine(QStringLiteral("CB"), id, QStringLiteral("1.1.05"), QStringLiteral("180"),
                         QStringLiteral("TJ_NroCupon"), QStringLiteral("'c-1'"));
             return output(w, w.prepare(QStringLiteral("CB"), id, {}, 3, 10));
         }},
    };
    return list;
}

QString expectedFile(const char* name) {
    return zxtest::sourcePath(QStringLiteral("tests/data/receipts/") + QString::fromLatin1(name) +
                              QStringLiteral("/expected.txt"));
}

}  // namespace rctest

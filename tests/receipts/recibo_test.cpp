#include "db/db_dll.h"
#include "platform/vb/steps.h"
#include "tests/receipts/receipt_world.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using rctest::ReceiptWorld;

const QString kCB = QStringLiteral("CB");

int count(const ReceiptWorld& w, const QString& where) {
    return w.rows(QStringLiteral("SELECT COUNT(*) FROM AUX_MV_CPTE WHERE ") + where)
        .value(0)
        .value(0)
        .toInt();
}

int stationRows(const ReceiptWorld& w) {
    return count(w, QStringLiteral("USUARIO = 'PC-CAJA|ANA'"));
}

// Receipt CB `id` with `applied` invoices of 10 each and no entry.
void appliedInvoices(ReceiptWorld& w, const QString& id, int applied) {
    for (int i = 1; i <= applied; ++i) {
        w.application(kCB, id, QStringLiteral("FC"),
                      QStringLiteral("0009%1A").arg(i, 8, 10, QChar(u'0')), QStringLiteral("10"));
    }
}

class ReceiptScenario : public testing::TestWithParam<rctest::Scenario> {};

TEST_P(ReceiptScenario, WritesTheExpectedFormulasAndRows) {
    QString actual;
    {
        ReceiptWorld world;
        actual = GetParam().run(world);
        EXPECT_TRUE(world.op.prompts().isEmpty());
    }
    QFile file(rctest::expectedFile(GetParam().name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "run receipts_write_expected first";
    EXPECT_EQ(actual, QString::fromUtf8(file.readAll()));
}

INSTANTIATE_TEST_SUITE_P(Receipts, ReceiptScenario, testing::ValuesIn(rctest::scenarios()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Receipt, WithoutAppliedVouchersOrEntryLinesLeavesNoRowsAndNoFormulas) {
    ReceiptWorld w;
    const QStringList before{QStringLiteral("Nombreempresa = 'Aserradero'")};
    EXPECT_EQ(w.prepare(kCB, QStringLiteral("000100000077X"), {}, 2, 10, before), before);
    EXPECT_EQ(stationRows(w), 0);
    EXPECT_EQ(count(w, QStringLiteral("USUARIO = 'OTRA|PC'")), 1);
}

TEST(Receipt, FormulasTakeIndicesOneToElevenWhateverTheListHeld) {
    ReceiptWorld w;
    QStringList before{QStringLiteral("entrada")};
    for (int i = 0; i < 15; ++i) before.append(QStringLiteral("vieja"));
    const QStringList after =
        w.prepare(QStringLiteral("CB"), QStringLiteral("000100000030X"), {}, 1, -1, before);
    ASSERT_EQ(after.size(), 12);
    EXPECT_EQ(after[0], QStringLiteral("entrada"));
    EXPECT_EQ(after[11], QStringLiteral("Prm_Concepto = ''"));
}

TEST(Receipt, FillsTheFirstCopyUpToTheLinesOfAPage) {
    const struct {
        int items, applied, rows;
    } cases[] = {{-1, 3, 3}, {0, 3, 3}, {10, 3, 10}, {10, 12, 12}, {3, 3, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.items << " lines, " << c.applied << " applied");
        ReceiptWorld w;
        const QString id = QStringLiteral("000100000050X");
        appliedInvoices(w, id, c.applied);
        w.prepare(kCB, id, {}, 1, c.items);
        EXPECT_EQ(stationRows(w), c.rows);
        EXPECT_EQ(count(w, QStringLiteral("COLUMNA4 = '  ' AND COLUMNA2 IS NULL")),
                  c.rows - c.applied);
    }
}

TEST(Receipt, RepeatsTheFirstCopyOncePerCopyNumber) {
    for (const int copias : {0, 1, 3}) {
        SCOPED_TRACE(copias);
        ReceiptWorld w;
        const QString id = QStringLiteral("000100000050X");
        appliedInvoices(w, id, 3);
        w.prepare(kCB, id, {}, copias, 10);
        const int copies = std::max(copias, 1);
        EXPECT_EQ(stationRows(w), 10 * copies);
        for (int n = 1; n <= copies; ++n)
            EXPECT_EQ(count(w, QStringLiteral("USUARIO = 'PC-CAJA|ANA' AND TIPO = '%1'").arg(n)),
                      10);
    }
}

TEST(Receipt, StationsPreparingTheSameReceiptDoNotTouchEachOthersRows) {
    ReceiptWorld w;
    const QString id = QStringLiteral("000100000050X");
    appliedInvoices(w, id, 3);
    w.prepare(kCB, id, {}, 2, 5);
    w.setStation(QStringLiteral("pc-2"), QStringLiteral("beto"));
    w.prepare(kCB, id, {}, 3, 4);
    EXPECT_EQ(stationRows(w), 10);
    EXPECT_EQ(count(w, QStringLiteral("USUARIO = 'PC-2|BETO'")), 12);
}

// The voucher's own date and amount are looked for in the views and then in the entries; a
// voucher found in none of them gives empty columns, not an error box.
TEST(Receipt, AppliedVoucherFoundNowhereLeavesItsDateAndAmountEmpty) {
    for (const int lines : {0, 2}) {  // the applied vouchers drive, then the entry lines
        SCOPED_TRACE(lines);
        ReceiptWorld w;
        const QString id = QStringLiteral("000100000060X");
        w.application(kCB, id, QStringLiteral("FC"), QStringLiteral("000999999999Z"),
                      QStringLiteral("42"));
        for (int i = 0; i < lines; ++i)
            w.entryLine(kCB, id, QStringLiteral("1.1.01"), QStringLiteral("21"));
        w.prepare(kCB, id);
        const auto row = w.rows(QStringLiteral(
            "SELECT COLUMNA1, COLUMNA2, COLUMNA3, COLUMNA9, COLUMNA11 FROM AUX_MV_CPTE "
            "WHERE USUARIO = 'PC-CAJA|ANA' ORDER BY ID"));
        ASSERT_EQ(row.size(), std::max(lines, 1));
        EXPECT_EQ(row[0], (QStringList{QString(), QStringLiteral("FC-000999999999Z"),
                                       QStringLiteral("42,00"), QString(), QStringLiteral("0")}));
        EXPECT_TRUE(w.op.prompts().isEmpty());
    }
}

TEST(Receipt, NullCashAmountGoesToTheErrorDialog) {
    const struct {
        int answer;
        int formulas;     // size of the list afterwards
        int stationRows;  // rows saved before the procedure was left
    } cases[] = {{vb::vbIgnore, 12, 2}, {vb::vbAbort, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        ReceiptWorld w;
        const QString id = QStringLiteral("000100000070X");
        appliedInvoices(w, id, 2);
        w.entryLine(kCB, id, QStringLiteral("1.1.01"), QStringLiteral("15"));
        w.entryLine(kCB, id, QStringLiteral("1.1.01"), QStringLiteral("NULL"));
        w.op.answer(c.answer);
        const QStringList formulas = w.prepare(kCB, id);
        ASSERT_EQ(w.op.messages().size(), 1);
        EXPECT_TRUE(w.op.messages()[0].title.contains(u"GeneraAuxiliarRecibo_PagoCobranza"));
        EXPECT_EQ(formulas.size(), c.formulas);
        EXPECT_EQ(stationRows(w), c.stationRows);
        if (c.answer == vb::vbIgnore) {
            // The amount stays empty; the mark after it is still written.
            EXPECT_EQ(
                w.rows(QStringLiteral("SELECT COLUMNA4, COLUMNA8, COLUMNA10 FROM "
                                      "AUX_MV_CPTE WHERE USUARIO = 'PC-CAJA|ANA' "
                                      "ORDER BY ID"))
                    .value(1),
                (QStringList{QStringLiteral("Caja Pesos"), QString(), QStringLiteral("   1")}));
            EXPECT_EQ(formulas[5], QStringLiteral("Prm_ImporteMP = '15,00'"));
        }
    }
}

// The own-account mark of a payment order keeps the supplier's debit, cash and card lines
// out of the means of payment; a cheque on that account is still printed.
TEST(Receipt, PaymentOrderPrintsOnlyChequesOfItsOwnAccount) {
    const struct {
        const char* cuenta;
        const char* columna4;  // Null: the line was passed over
        const char* importeMP;
    } cases[] = {
        {"1.1.04", nullptr, "0,00"},
        {"1.1.01", nullptr, "0,00"},
        {"1.1.05", nullptr, "0,00"},
        {"1.1.03", "Valores a Depositar", "10,00"},
    };
    for (const auto& c : cases) {
        const QString cuenta = QString::fromLatin1(c.cuenta);
        SCOPED_TRACE(c.cuenta);
        ReceiptWorld w;
        const QString tc = QStringLiteral("PG"), id = QStringLiteral("000300000050X");
        w.application(tc, id, QStringLiteral("FP"), QStringLiteral("000500009999A"),
                      QStringLiteral("10"), cuenta);
        w.entryLine(tc, id, cuenta, QStringLiteral("10"));
        const QStringList formulas = w.prepare(tc, id, cuenta);
        EXPECT_EQ(w.rows(QStringLiteral("SELECT COLUMNA4 FROM AUX_MV_CPTE WHERE "
                                        "USUARIO = 'PC-CAJA|ANA'"))
                      .value(0)
                      .value(0),
                  c.columna4 ? QString::fromUtf8(c.columna4) : QString());
        EXPECT_EQ(formulas.value(5),
                  QStringLiteral("Prm_ImporteMP = '%1'").arg(QLatin1String(c.importeMP)));
    }
}

TEST(Receipt, OtherApplicationsFollowTheFamilyAndTheAccount) {
    const struct {
        const char* tc;
        const char* otherTc;
        const char* otherCuenta;
        int rows;
    } cases[] = {
        {"CB", "NC", "C0001", 1},   {"CBFP", "CBCT", "C0001", 1}, {"CB", "FC", "C0001", 0},
        {"PG", "NCC", "P0001", 1},  {"PG", "NCC", "P0002", 0},    {"OPG", "RC", "P0001", 1},
        {"GAN", "NCC", "P0001", 0}, {"IBR", "NC", "P0001", 0},    {"IVA", "ND", "P0001", 0},
    };
    for (const auto& c : cases) {
        const QString tc = QString::fromLatin1(c.tc), other = QString::fromLatin1(c.otherTc);
        SCOPED_TRACE(testing::Message()
                     << c.tc << " with " << c.otherTc << " of " << c.otherCuenta);
        ReceiptWorld w;
        const QString id = QStringLiteral("000300000060X");
        const bool cobranza = tc.startsWith(u"CB");
        const QString cuenta = cobranza ? QString() : QStringLiteral("P0001");
        w.application(tc, id, QStringLiteral("FC"), QStringLiteral("000200000301A"),
                      QStringLiteral("100"), cobranza ? QStringLiteral("C0001") : cuenta);
        w.application(tc, id, QStringLiteral("FC"), QStringLiteral("000200000301A"),
                      QStringLiteral("25"), QString::fromLatin1(c.otherCuenta), other,
                      QStringLiteral("000200000044A"));
        const QStringList formulas = w.prepare(tc, id, cuenta);
        EXPECT_EQ(count(w, QStringLiteral("COLUMNA6 = '%1 000200000044A' AND COLUMNA4 = '%1' "
                                          "AND COLUMNA8 = '25,00' AND COLUMNA10 = '   1'")
                               .arg(other)),
                  c.rows);
        EXPECT_EQ(formulas.value(5), c.rows ? QStringLiteral("Prm_ImporteMP = '25,00'")
                                            : QStringLiteral("Prm_ImporteMP = '0,00'"));
    }
}

// Other programs store the types of the applications padded to four characters; the
// receipt's own applications must stay out of the other applications all the same.
TEST(Receipt, TheReceiptsOwnApplicationsStayOutWhateverThePaddingOfTheStoredType) {
    const struct {
        const char* stored;  // the receipt's type as MV_APLICACION holds it
        const char* passed;  // the type the receipt is prepared with
    } cases[] = {{"CB", "CB"}, {"CB  ", "CB"}, {"cb  ", "CB"}, {"CB  ", "CB  "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.stored << "' / '" << c.passed << "'");
        ReceiptWorld w;
        w.data.exec(QStringLiteral("UPDATE MV_APLICACION SET TC = '%1' WHERE TC = 'CB'")
                        .arg(QString::fromLatin1(c.stored)));
        w.data.exec(QStringLiteral("UPDATE MV_APLICACION SET TC = 'NC  ' WHERE TC = 'NC'"));
        const QStringList formulas =
            w.prepare(QString::fromLatin1(c.passed), QStringLiteral("000100000010X"), {}, 1, -1);
        EXPECT_EQ(formulas.value(5), QStringLiteral("Prm_ImporteMP = '1330,50'"));
        EXPECT_EQ(formulas.value(4), QStringLiteral("Prm_ImporteEnLetras = 'Mil Trescientos "
                                                    "Treinta Pesos Con 50/100'"));
        // The collection's discount account, not the payment orders'.
        EXPECT_EQ(formulas.value(10), QStringLiteral("Prm_DescuentosOtorgados = '10,00'"));
        EXPECT_EQ(count(w, QStringLiteral("COLUMNA6 LIKE '%000100000010X%'")), 0);
        // The credit note applied with it is still one more means of payment.
        EXPECT_EQ(count(w, QStringLiteral("COLUMNA6 LIKE 'NC%000200000005A'")), 1);
    }
}

// An entry line without an account is neither a retention nor a discount, whether a discount
// account is configured or not.
TEST(Receipt, AnEntryLineWithABlankAccountCountsInNoTotal) {
    for (const char* cuenta : {"''", "'   '", "NULL"}) {
        for (const bool conDescuento : {true, false}) {
            SCOPED_TRACE(testing::Message() << cuenta << (conDescuento ? " with" : " without")
                                            << " a discount account");
            ReceiptWorld w;
            if (!conDescuento)
                w.data.exec(
                    "UPDATE TA_CUENTASIVA SET CB_DESCUENTO = NULL;"
                    "UPDATE TA_CONFIGURACION SET VALOR = '' "
                    "WHERE CLAVE = 'CuentaDesCuentosObtenidos'");
            const QString id = QStringLiteral("000100000010X");
            w.entryLine(kCB, id, {}, QStringLiteral("7"));
            w.data.exec(QStringLiteral("UPDATE MV_ASIENTOS SET Cuenta = %1 WHERE Importe = 7")
                            .arg(QString::fromLatin1(cuenta)));
            const QStringList formulas = w.prepare(kCB, id, {}, 1, -1);
            EXPECT_EQ(formulas.value(7), QStringLiteral("Prm_RetIVA = '30,00'"));
            EXPECT_EQ(formulas.value(9), QStringLiteral("Prm_RetSUSS = '12,50'"));
            EXPECT_EQ(formulas.value(10),
                      conDescuento ? QStringLiteral("Prm_DescuentosOtorgados = '10,00'")
                                   : QStringLiteral("Prm_DescuentosOtorgados = '0,00'"));
            EXPECT_EQ(formulas.value(5), QStringLiteral("Prm_ImporteMP = '1330,50'"));
        }
    }
}

// Settings may be stored padded; they are read trimmed and without regard to case.
TEST(Receipt, SettingsAreReadWhateverTheirBlanksAndCase) {
    const struct {
        const char* cuitLibrador;  // IncluirCuitLibrador
        const char* suss;          // CTA_RET_OTRA_1.1.09
        const char* descuento;     // CuentaDesCuentosObtenidos, with no role table
        bool conCuit;
        const char* retIva;
        const char* retSuss;
        const char* descuentos;
    } cases[] = {
        {"si", "su", "4.1.01", true, "Prm_RetIVA = '30,00'", "Prm_RetSUSS = '12,50'",
         "Prm_DescuentosOtorgados = '10,00'"},
        {"SI        ", "SU  ", " 4.1.01  ", true, "Prm_RetIVA = '30,00'", "Prm_RetSUSS = '12,50'",
         "Prm_DescuentosOtorgados = '10,00'"},
        {"NO", "no", "4.1.09", false, "Prm_RetIVA = '42,50'", "Prm_RetSUSS = '0,00'",
         "Prm_DescuentosOtorgados = '0,00'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "'" << c.cuitLibrador << "' '" << c.suss << "' '" << c.descuento << "'");
        ReceiptWorld w;
        w.config(QStringLiteral("IncluirCuitLibrador"), QString::fromLatin1(c.cuitLibrador));
        w.data.exec(QStringLiteral("DELETE FROM TA_CUENTASIVA;"
                                   "UPDATE TA_CONFIGURACION SET VALOR = '%1' "
                                   "WHERE CLAVE = 'CTA_RET_OTRA_1.1.09';"
                                   "UPDATE TA_CONFIGURACION SET VALOR = '%2' "
                                   "WHERE CLAVE = 'CuentaDesCuentosObtenidos'")
                        .arg(QString::fromLatin1(c.suss), QString::fromLatin1(c.descuento)));
        const QStringList formulas = w.prepare(kCB, QStringLiteral("000100000010X"), {}, 1, -1);
        EXPECT_EQ(count(w, QStringLiteral("COLUMNA5 = 'CH-12345 (20/12345678/9)'")),
                  c.conCuit ? 1 : 0);
        EXPECT_EQ(count(w, QStringLiteral("COLUMNA5 = 'CH-12345'")), c.conCuit ? 0 : 1);
        EXPECT_EQ(formulas.value(7), QString::fromLatin1(c.retIva));
        EXPECT_EQ(formulas.value(9), QString::fromLatin1(c.retSuss));
        EXPECT_EQ(formulas.value(10), QString::fromLatin1(c.descuentos));
    }
}

TEST(Receipt, ValuesWithApostrophesReachTheDatabaseAndTheConceptUnchanged) {
    ReceiptWorld w;
    w.setStation(QStringLiteral("pc'3"), QStringLiteral("ana"));
    const QString tc = QStringLiteral("OPG"), id = QStringLiteral("000300000070X");
    const QString cuenta = QStringLiteral("P'01");
    w.application(tc, id, QStringLiteral("FP"), QStringLiteral("000500001234A"),
                  QStringLiteral("500"), QStringLiteral("P''01"));
    w.entryLine(tc, id, QStringLiteral("1.1.01"), QStringLiteral("500"), QStringLiteral("Detalle"),
                QStringLiteral("'Pago a O''Brien'"));
    const QStringList formulas = w.prepare(tc, id, cuenta, 2, 3);
    EXPECT_EQ(count(w, QStringLiteral("USUARIO = 'PC''3|ANA'")), 6);
    EXPECT_EQ(count(w, QStringLiteral("USUARIO = 'PC''3|ANA' AND COLUMNA4 = 'Caja Pesos' AND "
                                      "COLUMNA2 = 'FP-000500001234A'")),
              2);
    EXPECT_EQ(formulas.value(11), QStringLiteral("Prm_Concepto = 'Pago a O'Brien'"));
    EXPECT_TRUE(w.op.prompts().isEmpty());
}

}  // namespace

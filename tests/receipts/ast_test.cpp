#include "db/db_dll.h"
#include "receipts/ast.h"
#include "receipts/buscacuenta.h"
#include "receipts/imp_recibos.h"
#include "tests/receipts/receipt_world.h"

#include <gtest/gtest.h>

namespace {

using rctest::ReceiptWorld;

TEST(CuentaIVADF, RoleAccountsFallBackToTheCommonColumnsAndTheSetting) {
    const struct {
        const char* name;
        const char* sql;  // changes to the fixture's row and settings
        bool cobranza;
        const char *iva, *ibrutos, *ganancias, *descuento;
    } cases[] = {
        {"CollectionColumns", "", true, "1.1.06", "1.1.08", "1.1.07", "4.1.01"},
        {"PaymentBlankOrNullColumnsTakeTheCommonOnes", "", false, "1.1.06", "1.1.08", "1.1.07",
         "5.1.01"},
        {"CollectionNullColumnTakesTheCommonOne",
         "UPDATE TA_CUENTASIVA SET CB_RETIVA = NULL, CFI_RETPERC = '2.1.50'", true, "2.1.50",
         "1.1.08", "1.1.07", "4.1.01"},
        {"BlankDiscountTakesTheSetting", "UPDATE TA_CUENTASIVA SET CB_DESCUENTO = '   '", true,
         "1.1.06", "1.1.08", "1.1.07", "4.1.09"},
        {"NoDiscountAnywhereGivesTheMissingKeysBlank",
         "UPDATE TA_CUENTASIVA SET CB_DESCUENTO = NULL; "
         "DELETE FROM TA_CONFIGURACION WHERE CLAVE = 'CuentaDesCuentosObtenidos'",
         true, "1.1.06", "1.1.08", "1.1.07", " "},
        {"EmptyTableGivesOnlyTheSetting", "DELETE FROM TA_CUENTASIVA", false, "", "", "",
         "4.1.09"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiptWorld w;
        if (*c.sql) w.data.exec(QString::fromLatin1(c.sql));
        QString iva = "x", ibrutos = "x", ganancias = "x", descuento = "x";
        ast::CuentaIVADF(iva, ibrutos, ganancias, descuento, c.cobranza);
        EXPECT_EQ(iva, QString::fromUtf8(c.iva));
        EXPECT_EQ(ibrutos, QString::fromUtf8(c.ibrutos));
        EXPECT_EQ(ganancias, QString::fromUtf8(c.ganancias));
        EXPECT_EQ(descuento, QString::fromUtf8(c.descuento));
    }
}

TEST(MeansOfPaymentChecks, ClassifyAnAccountByItsCode) {
    const struct {
        const char* codigo;
        bool efectivoRetencion, bancoCheque, debito, cheque, tarjeta;
        const char* descripcion;  // what every check leaves; "previa" when nothing is found
    } cases[] = {
        {"1.1.01", true, false, false, false, false, "Caja Pesos"},
        {"1.1.11", true, false, false, false, false, "Caja Dólares"},  // stored "ef "
        {"1.1.09", true, false, false, false, false, "Retención SUSS"},
        {"1.1.02", false, true, false, true, false, "Banco Nación Cta. Cte."},
        {"1.1.03", false, false, false, true, false, "Valores a Depositar"},
        {"1.1.04", false, false, true, false, false, "Débito Automático"},
        {"1.1.05", false, false, false, false, true, "Tarjeta Visa"},
        {"C0001", false, false, false, false, false, "Deudores por Ventas"},
        {" 1.1.01 ", true, false, false, false, false, "Caja Pesos"},
        {"9.9.99", false, false, false, false, false, "previa"},
        {"O'Brien", false, false, false, false, false, "previa"},
    };
    ReceiptWorld w;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codigo);
        const QString codigo = QString::fromUtf8(c.codigo);
        const QString descripcion = QString::fromUtf8(c.descripcion);
        QString d = "previa";
        EXPECT_EQ(ast::ValidaCuentaEfectivoRetencion({}, d, codigo), c.efectivoRetencion);
        // This check starts from an empty description.
        EXPECT_EQ(d, descripcion == u"previa" ? QString() : descripcion);
        QString cuenta = codigo;
        d = "previa";
        EXPECT_EQ(ast::ValidaCuentaBancoCheque({}, cuenta, {}, d), c.bancoCheque);
        EXPECT_EQ(d, descripcion);
        EXPECT_EQ(cuenta, descripcion == u"previa" ? codigo : codigo.trimmed());
        cuenta = codigo;
        d = "previa";
        EXPECT_EQ(ast::ValidaCuentaDebito({}, cuenta, {}, d), c.debito);
        EXPECT_EQ(d, descripcion);
        d = "previa";
        EXPECT_EQ(ast::ValidaCuentaCheque({}, d, codigo), c.cheque);
        EXPECT_EQ(d, descripcion);
        d = "previa";
        EXPECT_EQ(ast::ValidaCuentaTarjeta({}, d, codigo), c.tarjeta);
        EXPECT_EQ(d, descripcion);
    }
    EXPECT_TRUE(w.op.prompts().isEmpty());
}

TEST(MeansOfPaymentChecks, FindAnAccountByItsOptionalCode) {
    ReceiptWorld w;
    QString d, cuenta;
    EXPECT_TRUE(ast::ValidaCuentaEfectivoRetencion(QStringLiteral(" CAJA "), d, {}));
    EXPECT_EQ(d, QStringLiteral("Caja Pesos"));
    EXPECT_TRUE(ast::ValidaCuentaCheque(QStringLiteral("VALORES"), d, {}));
    EXPECT_EQ(d, QStringLiteral("Valores a Depositar"));
    EXPECT_TRUE(ast::ValidaCuentaTarjeta(QStringLiteral("VISA"), d, {}));
    EXPECT_TRUE(ast::ValidaCuentaBancoCheque(QStringLiteral("BCONAC"), cuenta, {}, d));
    EXPECT_EQ(cuenta, QStringLiteral("1.1.02"));  // the real code comes back
    cuenta.clear();
    EXPECT_TRUE(ast::ValidaCuentaDebito(QStringLiteral("DEBITO"), cuenta, {}, d));
    EXPECT_EQ(cuenta, QStringLiteral("1.1.04"));

    // The optional code wins over the code; a check never tries its other way.
    cuenta = QStringLiteral("1.1.02");
    EXPECT_FALSE(ast::ValidaCuentaBancoCheque(QStringLiteral("NOEXISTE"), cuenta, {}, d));
    EXPECT_EQ(cuenta, QStringLiteral("1.1.02"));
    EXPECT_FALSE(ast::ValidaCuentaCheque(QStringLiteral("VALORES"), d, QStringLiteral("9.9.99")));
}

TEST(MeansOfPaymentChecks, DebitComparesItsCodeUntrimmedOnlyByOptionalCode) {
    ReceiptWorld w;
    // A trailing blank past the column's length, as another program may have stored it.
    w.data.writeAsAnotherProgram(QStringLiteral(
        "UPDATE MA_CUENTAS SET MedioDePago = 'db ' WHERE Codigo = '1.1.04' COLLATE BINARY"));
    QString d, cuenta = QStringLiteral("1.1.04");
    EXPECT_TRUE(ast::ValidaCuentaDebito({}, cuenta, {}, d));
    cuenta.clear();
    EXPECT_FALSE(ast::ValidaCuentaDebito(QStringLiteral("DEBITO"), cuenta, {}, d));
    EXPECT_EQ(cuenta, QStringLiteral("1.1.04"));
}

TEST(BuscaCuenta, TriesTheOtherColumnWhenTheFirstFindsNothing) {
    const struct {
        const char* name;
        const char* cuenta;
        bool porOpcional;
        bool found;
        const char* cuentaAfter;
        bool porOpcionalAfter;
    } cases[] = {
        {"ByCode", "1.1.05", false, true, "1.1.05", false},
        {"OptionalCodeAskedAsCode", "VISA", false, true, "1.1.05", true},
        {"ByOptionalCode", "VISA", true, true, "1.1.05", true},
        {"CodeAskedAsOptionalCode", "1.1.05", true, true, "1.1.05", true},
        {"Unknown", "9.9.99", false, false, "9.9.99", false},
        {"Apostrophe", "O'Brien", true, false, "O'Brien", true},
    };
    ReceiptWorld w;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString cuenta = QString::fromUtf8(c.cuenta);
        bool porOpcional = c.porOpcional;
        ado::Recordset rs;
        EXPECT_EQ(ModGlobal::BuscaCuenta(cuenta, rs, true, porOpcional), c.found);
        EXPECT_EQ(cuenta, QString::fromUtf8(c.cuentaAfter));
        EXPECT_EQ(porOpcional, c.porOpcionalAfter);
        if (c.found) {
            EXPECT_EQ(rs[QStringLiteral("Descripcion")], vb::Variant("Tarjeta Visa"));
        }
    }
    EXPECT_TRUE(w.op.prompts().isEmpty());
}

TEST(RetentionChecks, AnswerTheAccountAsPassedWhenItIsOfTheirKind) {
    ReceiptWorld w;
    const QString conBlanco = QStringLiteral("1.1.09 ");
    EXPECT_EQ(IMP_Recibos::EsCuentaRetOtra(conBlanco), conBlanco);
    EXPECT_EQ(IMP_Recibos::EsCuentaRetIVA(QStringLiteral("1.1.06")), QStringLiteral("1.1.06"));
    EXPECT_EQ(IMP_Recibos::EsCuentaRetGanancias(QStringLiteral("1.1.07")),
              QStringLiteral("1.1.07"));
    EXPECT_EQ(IMP_Recibos::EsCuentaRetIBrutos(QStringLiteral("1.1.08")), QStringLiteral("1.1.08"));
    EXPECT_EQ(IMP_Recibos::EsCuentaRetIVA(QStringLiteral("1.1.07")), QString());
    EXPECT_EQ(IMP_Recibos::EsCuentaRetOtra(QStringLiteral("O'Brien")), QString());

    // An empty account is answered without the database: a closed connection would fail.
    gDB().gCnn.Close();
    EXPECT_EQ(IMP_Recibos::EsCuentaRetOtra(QString()), QString());
    EXPECT_TRUE(w.op.prompts().isEmpty());
}

}  // namespace

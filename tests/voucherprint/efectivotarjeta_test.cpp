#include "voucherprint/efectivotarjeta.h"

#include "tests/voucherprint/print_world.h"

#include <gtest/gtest.h>

namespace {

using vptest::PrintWorld;

struct Pago {
    vb::Currency efectivo, tarjeta;
    QString descEfectivo, descTarjeta;
};

Pago paga(const QString& tc, const QString& id) {
    Pago p;
    p.descEfectivo = p.descTarjeta = QStringLiteral("antes");
    ModGlobal::ObtieneEfectivoTarjeta(tc, id, p.efectivo, p.tarjeta, p.descEfectivo,
                                      p.descTarjeta);
    return p;
}

vb::Currency pesos(double v) {
    return vb::Currency::fromDouble(v);
}

class EfectivoTarjetaTest : public ::testing::Test {
protected:
    EfectivoTarjetaTest() {
        world.exec(
            "INSERT INTO MA_CUENTAS (Codigo, Descripcion, MedioDePago) VALUES "
            "('1101', 'Caja', 'EF'), ('1102', 'Caja chica', 'ef'), ('1103', 'Caja vieja', 'EF'),"
            "('1105', 'Tarjeta Visa', 'TJ'), ('1106', 'Tarjeta Master', 'TJ'),"
            "('1109', 'Cheques', 'CH'), ('4100', 'Ventas', NULL);"
            // The invoice FC 0001-00000123A is applied by two receipts; FP 0003-00000001X by one.
            "INSERT INTO MV_APLICACION (TC, IDCOMPROBANTE, Sucursal, Numero, letra, "
            "SUCURSAL_ORIGEN, NUMERO_ORIGEN, LETRA_ORIGEN) VALUES "
            "('CBCT', '000100000050X', '0001', '00000050', 'X', '0001', '00000123', 'A'),"
            "('CBCT', '000100000051X', '0001', '00000051', 'X', '0001', '00000123', 'A'),"
            "('CBFP', '000200000007X', '0002', '00000007', 'X', '0003', '00000001', 'X'),"
            "('CB', '000200000008X', '0002', '00000008', 'X', '0004', '00000001', 'X');");
        // A code with a trailing blank past the column's length, as another program may
        // have stored it.
        world.data.writeAsAnotherProgram(
            "UPDATE MA_CUENTAS SET MedioDePago = 'EF ' WHERE Codigo = '1103' COLLATE BINARY");
    }
    // One entry line of a receipt.
    void linea(const QString& tc, const QString& numero, const QString& cuenta, double importe,
               const QString& debeHaber) {
        world.exec(QStringLiteral("INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, Cuenta, "
                                  "Importe, [DEBE-HABER]) VALUES ('%1', '%2', '%3', 'X', '%4', "
                                  "%5, '%6')")
                       .arg(tc, numero.left(4), numero.mid(4), cuenta)
                       .arg(importe)
                       .arg(debeHaber));
    }

    PrintWorld world;
};

TEST_F(EfectivoTarjetaTest, AnInvoiceWithoutReceiptGivesNothing) {
    const Pago p = paga("FC", "000900000001A");
    EXPECT_EQ(p.efectivo, vb::Currency());
    EXPECT_EQ(p.tarjeta, vb::Currency());
    EXPECT_EQ(p.descEfectivo, "");
    EXPECT_EQ(p.descTarjeta, "");
}

TEST_F(EfectivoTarjetaTest, NetCashAndCardOfTheFirstReceiptApplied) {
    linea("CBCT", "000100000050", "1101", 100, "D");
    linea("CBCT", "000100000050", "1101", 30, "H");
    linea("CBCT", "000100000050", "1105", 50, "d");
    linea("CBCT", "000100000050", "1109", 20, "D");
    linea("CBCT", "000100000050", "4100", 140, "H");
    linea("CBCT", "000100000051", "1101", 999, "D");
    const Pago p = paga("FC", "000100000123A");
    EXPECT_EQ(p.efectivo, pesos(70));
    EXPECT_EQ(p.descEfectivo, "Caja");
    EXPECT_EQ(p.tarjeta, pesos(50));
    EXPECT_EQ(p.descTarjeta, "Tarjeta Visa");
}

TEST_F(EfectivoTarjetaTest, AnFpInvoiceInAnyCaseIsLookedUpAmongCbfpReceipts) {
    linea("CBFP", "000200000007", "1105", 40.5, "D");
    linea("CBFP", "000200000007", "1106", 10, "D");
    const Pago p = paga("fp", "000300000001X");
    EXPECT_EQ(p.tarjeta, pesos(50.5));
    EXPECT_EQ(p.descTarjeta, "TARJETA");
    EXPECT_EQ(p.efectivo, vb::Currency());
    EXPECT_EQ(p.descEfectivo, "");
}

TEST_F(EfectivoTarjetaTest, TheCashNameFollowsTheLastLineAgainstTheFirst) {
    const struct {
        const char* caso;
        QStringList cuentas;
        const char* descripcion;
    } casos[] = {
        {"A, B, A", {"1101", "1102", "1101"}, "Caja"},
        {"A, A, B", {"1101", "1101", "1102"}, "EFECTIVO"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        world.exec("DELETE FROM MV_ASIENTOS");
        for (const QString& cuenta : c.cuentas) linea("CBCT", "000100000050", cuenta, 1, "D");
        const Pago p = paga("FC", "000100000123A");
        EXPECT_EQ(p.descEfectivo, c.descripcion);
        EXPECT_EQ(p.efectivo, pesos(3));
    }
}

TEST_F(EfectivoTarjetaTest, AMeansOfPaymentWithATrailingBlankIsNotCash) {
    linea("CBCT", "000100000050", "1103", 10, "D");
    const Pago p = paga("FC", "000100000123A");
    EXPECT_EQ(p.efectivo, vb::Currency());
    EXPECT_EQ(p.descEfectivo, "");
}

TEST_F(EfectivoTarjetaTest, ReceiptsOfOtherTypesDoNotCount) {
    linea("CB", "000200000008", "1101", 10, "D");
    const Pago p = paga("FC", "000400000001X");
    EXPECT_EQ(p.efectivo, vb::Currency());
}

}  // namespace

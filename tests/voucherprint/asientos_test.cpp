#include "voucherprint/asientos.h"

#include "platform/vb/steps.h"
#include "platform/vendrix/clsreporte.h"
#include "tests/voucherprint/print_world.h"

#include <gtest/gtest.h>

namespace {

using vptest::PrintWorld;

const QString kFormulas = QStringLiteral("EMPRESA=La Parrilla de Lía, ENQUEMONEDA=1");

class AsientosTest : public ::testing::Test {
protected:
    AsientosTest() {
        // Voucher AS 0001-00000010A: entries 12 and 13 of period 2024 on 05/03/2024, and a
        // line of another date. Voucher AS 0001-00000011A: two entries of period 0.
        world.exec(
            "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, FECHA, [NUMERO ASIENTO], "
            "MES_OPERATIVO, PERIODO, Cuenta, Importe, [DEBE-HABER]) VALUES "
            "('AS', '0001', '00000010', 'A', '2024-03-05', 12, 3, 2024, '1101', 100, 'D'),"
            "('AS', '0001', '00000010', 'A', '2024-03-05', 12, 3, 2024, '4100', 100, 'H'),"
            "('AS', '0001', '00000010', 'A', '2024-03-05', 13, 3, 2024, '1105', 25.5, 'D'),"
            "('AS', '0001', '00000010', 'A', '2024-03-06', 14, 3, 2024, '1109', 1, 'D'),"
            "('AS', '0001', '00000011', 'A', '2024-03-05', 1, 3, 0, '1101', 7, 'D'),"
            "('AS', '0001', '00000011', 'A', '2024-03-05', 2, 3, 0, '1102', 8, 'D')");
    }

    PrintWorld world;
};

TEST_F(AsientosTest, EachEntryOfTheVoucherAndDateIsOneScreenRun) {
    world.expectPreviews(2);
    ModGlobal::ImprimeAsientosComprobante("AS", "000100000010A", "2024-03-05", false);
    const QString clave = QStringLiteral(
        "{MV_ASIENTOS.TC} = 'AS' AND {MV_ASIENTOS.SUCURSAL} = '0001' AND "
        "{MV_ASIENTOS.NUMERO} = '00000010' AND {MV_ASIENTOS.LETRA} = 'A'");
    EXPECT_EQ(world.previews,
              QStringList({"Asientos | {MV_ASIENTOS.PERIODO} = '2024' AND " + clave +
                               " AND {MV_ASIENTOS.MES_OPERATIVO} = 3 AND "
                               "{MV_ASIENTOS.NUMERO ASIENTO} = 12 | " +
                               kFormulas + " | 12 1101 100; 12 4100 100",
                           "Asientos | {MV_ASIENTOS.PERIODO} = '2024' AND " + clave +
                               " AND {MV_ASIENTOS.MES_OPERATIVO} = 3 AND "
                               "{MV_ASIENTOS.NUMERO ASIENTO} = 13 | " +
                               kFormulas + " | 13 1105 25,5"}));
    EXPECT_EQ(gReporte().Destino, gReporte().DestinoPantalla());
    EXPECT_TRUE(gReporte().IndicadorPrevio);
}

TEST_F(AsientosTest, EntriesOfPeriodZeroAreSelectedByTheVoucherKeyAlone) {
    world.expectPreviews(2);
    ModGlobal::ImprimeAsientosComprobante("AS", "000100000011A", "2024-03-05", false);
    const QString mismo =
        QStringLiteral(
            "Asientos | {MV_ASIENTOS.TC} = 'AS' AND {MV_ASIENTOS.SUCURSAL} = '0001' AND "
            "{MV_ASIENTOS.NUMERO} = '00000011' AND {MV_ASIENTOS.LETRA} = 'A' | ") +
        kFormulas + QStringLiteral(" | 1 1101 7; 2 1102 8");
    EXPECT_EQ(world.previews, QStringList({mismo, mismo}));
}

TEST_F(AsientosTest, NoLineOnThatDatePrintsNothingAndLeavesThePrinterAlone) {
    gReporte().Destino = gReporte().DestinoArchivo();
    for (const char* fecha : {"", "2024-03-07"}) {
        SCOPED_TRACE(fecha);
        ModGlobal::ImprimeAsientosComprobante("AS", "000100000010A", fecha, false);
    }
    EXPECT_EQ(gReporte().Destino, gReporte().DestinoArchivo());
    EXPECT_FALSE(gReporte().IndicadorPrevio);
    EXPECT_TRUE(world.previews.isEmpty());
}

TEST_F(AsientosTest, TheCostCentreFormWinsOverThe80mmForm) {
    const struct {
        bool centroCosto, ticket80mm;
        const char* formulario;
    } casos[] = {
        {true, true, "AsientoCCosto"},
        {false, true, "Asientos_80mm"},
        {false, false, "Asientos"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.formulario);
        world.previews.clear();
        world.expectPreviews(1);
        ast::ImprimeAsiento("AS", "0001", "00000010", "A", "3", " 13 ", QStringLiteral("2024"),
                            c.centroCosto, true, c.ticket80mm);
        ASSERT_EQ(world.previews.size(), 1);
        EXPECT_TRUE(world.previews[0].startsWith(QString::fromLatin1(c.formulario) + " | "));
        // The entry number is trimmed.
        EXPECT_TRUE(world.previews[0].contains("{MV_ASIENTOS.NUMERO ASIENTO} = 13 |"));
    }
}

// The month and the entry number stand bare in the selection: an entry without them (or with a
// text that is no number) is told to the operator and not printed; the voucher's other entries
// print as usual.
TEST_F(AsientosTest, AnEntryWithoutMonthOrNumberIsToldAndNotPrinted) {
    const struct {
        const char* numero;
        const char* cambio;
        bool avisoPrimero;  // the groups come in the database's order: a Null number first
    } casos[] = {
        {"00000020", "MES_OPERATIVO = NULL", false},
        {"00000021", "[NUMERO ASIENTO] = NULL", true},
        {"00000022", "MES_OPERATIVO = NULL, [NUMERO ASIENTO] = NULL", true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.cambio);
        const QString numero = QString::fromLatin1(c.numero);
        world.exec(
            QStringLiteral(
                "INSERT INTO MV_ASIENTOS (TC, SUCURSAL, NUMERO, LETRA, FECHA, [NUMERO ASIENTO], "
                "MES_OPERATIVO, PERIODO, Cuenta, Importe, [DEBE-HABER]) VALUES "
                "('AS', '0001', '%1', 'A', '2024-03-05', 20, 3, 2024, '1101', 9, 'D'),"
                "('AS', '0001', '%1', 'A', '2024-03-05', 21, 3, 2024, '1102', 4, 'D');"
                "UPDATE MV_ASIENTOS SET %2 WHERE NUMERO = '%1' AND Cuenta = '1102'")
                .arg(numero, QString::fromLatin1(c.cambio)));
        const qsizetype antes = world.op.messages().size();
        world.previews.clear();
        // Entry 20 is shown, the other entry is told.
        if (c.avisoPrimero) world.op.answer(vb::vbOK);
        world.expectPreviews(1);
        if (!c.avisoPrimero) world.op.answer(vb::vbOK);
        ModGlobal::ImprimeAsientosComprobante("AS", "0001" + numero + "A", "2024-03-05", false);
        ASSERT_EQ(world.previews.size(), 1);
        EXPECT_TRUE(world.previews[0].contains("{MV_ASIENTOS.NUMERO ASIENTO} = 20 |"))
            << world.previews[0].toStdString();
        const QList<zxtest::Prompt> mensajes = world.op.messages().mid(antes);
        ASSERT_EQ(mensajes.size(), 1);
        EXPECT_EQ(mensajes[0].title, "Aviso al Operador");
        EXPECT_TRUE(mensajes[0].text.contains("AS 0001-" + numero + "A"))
            << mensajes[0].text.toStdString();
    }
    // Called for one entry with texts that are no numbers: told, and the printer untouched.
    world.previews.clear();
    for (const auto& [mes, numero] : {std::pair{"3 OR 1=1", "13"}, {"3", "13)"}, {"", "13"}}) {
        SCOPED_TRACE(std::string(mes) + " / " + numero);
        const qsizetype antes = world.op.messages().size();
        world.op.answer(vb::vbOK);
        gReporte().Destino = gReporte().DestinoArchivo();
        ast::ImprimeAsiento("AS", "0001", "00000010", "A", mes, numero, QStringLiteral("2024"),
                            false, true, false);
        EXPECT_EQ(world.op.messages().size(), antes + 1);
        EXPECT_EQ(gReporte().Destino, gReporte().DestinoArchivo());
    }
    EXPECT_TRUE(world.previews.isEmpty());
    // Of period 0 the entry is selected by the voucher key alone, month and number unused.
    const qsizetype antes = world.op.messages().size();
    world.exec("UPDATE MV_ASIENTOS SET MES_OPERATIVO = NULL WHERE NUMERO = '00000011'");
    world.expectPreviews(2);
    ModGlobal::ImprimeAsientosComprobante("AS", "000100000011A", "2024-03-05", false);
    EXPECT_EQ(world.previews.size(), 2);
    EXPECT_EQ(world.op.messages().size(), antes);
}

TEST_F(AsientosTest, ApostrophesInTheKeyAndTheCompanyNameSurvive) {
    world.exec("DELETE FROM TA_CONFIGURACION WHERE CLAVE = 'NOMBRE'");
    world.config("NOMBRE", "O'Brien SA");
    world.exec("UPDATE MV_ASIENTOS SET TC = 'A''S' WHERE NUMERO = '00000011'");
    world.expectPreviews(2);
    ModGlobal::ImprimeAsientosComprobante("A'S", "000100000011A", "2024-03-05", false);
    ASSERT_EQ(world.previews.size(), 2);
    EXPECT_EQ(world.previews[0],
              "Asientos | {MV_ASIENTOS.TC} = 'A''S' AND {MV_ASIENTOS.SUCURSAL} = '0001' AND "
              "{MV_ASIENTOS.NUMERO} = '00000011' AND {MV_ASIENTOS.LETRA} = 'A' | "
              "EMPRESA=O'Brien SA, ENQUEMONEDA=1 | 1 1101 7; 2 1102 8");
}

}  // namespace

// Vouchers printed for real: the printer of the voucher type's settings is a queue of a private
// print spooler, and each copy reaches it as a job of its own.
#include "voucherprint/imprimircomprobante.h"

#include "platform/vb/steps.h"
#include "tests/platform/reportengine/pdf_text.h"
#include "tests/support/print_spooler.h"
#include "tests/voucherprint/print_world.h"

#include <gtest/gtest.h>

namespace {

class ImpresionComprobanteTest : public ::testing::Test {
protected:
    ImpresionComprobanteTest() {
        world.exec(
            "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, UNEGOCIO) VALUES "
            "('FC', '000100000123A', 0, '1');"
            "INSERT INTO AUX_MV_CPTE (TC, USUARIO, TIPO, IDCOMPROBANTE, IDCOMPLEMENTO, COLUMNA1) "
            "VALUES ('FC', 'pc-salon|mozo1', 'IT', '000100000123A', 0, 'Milanesa'),"
            "('FC', 'pc-salon|mozo1', 'IT', '000100000123A', 0, 'Flan');");
        world.formulario("FC-A");
    }

    // The invoice printed by its default destination, every copy its type asks for.
    void imprime() {
        QString tc = QStringLiteral("FC"), id = QStringLiteral("000100000123A");
        QStringList orden{QString()}, adicionales{QString()};
        QString seleccion, fecha, formulario = QStringLiteral("Todos");
        std::int16_t destino = -1;
        bool externa = false, contable = false, unaCopia = false;
        ModGlobal::ImprimirComprobante(tc, id, QStringLiteral("0"), tc, orden, seleccion,
                                       adicionales, destino, externa, fecha, formulario, contable,
                                       unaCopia);
    }

    zxtest::PrintSpooler spooler;
    vptest::PrintWorld world;
};

TEST_F(ImpresionComprobanteTest, TwoCopiesAreTwoJobsOnThePrinterOfTheSettings) {
    world.impresion("FC", "A", "Impresora", "2", "ZX-PDF | LPT1");
    imprime();
    const QList<zxtest::PrintedJob> hechos = spooler.waitForJobs("ZX-PDF", 2);
    ASSERT_EQ(hechos.size(), 2) << spooler.log().toStdString();
    const char* const encabezados[] = {"ORIGINAL", "DUPLICADO"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(encabezados[i]);
        EXPECT_EQ(hechos[i].copies, 1);
        EXPECT_EQ(zxtest::pdfPages(hechos[i].pdf).size(), 1);
        const QString texto = zxtest::pdfText(hechos[i].pdf);
        EXPECT_TRUE(texto.contains(QString::fromLatin1(encabezados[i]))) << texto.toStdString();
        EXPECT_TRUE(texto.contains("Milanesa") && texto.contains("Flan")) << texto.toStdString();
    }
    EXPECT_FALSE(zxtest::pdfText(hechos[0].pdf).contains("DUPLICADO"));
    EXPECT_EQ(spooler.finishedJobs(), 2);
    EXPECT_EQ(spooler.unfinishedJobs(), 0);
    EXPECT_TRUE(world.op.messages().isEmpty());
}

// The voucher's printer refuses work: the error dialog names it and no copy stays queued.
TEST_F(ImpresionComprobanteTest, APausedPrinterOfTheSettingsGoesToTheErrorDialog) {
    world.impresion("FC", "A", "Impresora", "2", "ZX-PAUSADA|LPT1");
    world.op.answer(vb::vbAbort);
    imprime();
    ASSERT_EQ(world.op.messages().size(), 1);
    EXPECT_TRUE(world.op.messages()[0].title.contains("ImprimirComprobante"));
    EXPECT_TRUE(world.op.messages()[0].text.contains("ZX-PAUSADA"));
    EXPECT_EQ(spooler.unfinishedJobs(), 0);
    EXPECT_EQ(spooler.finishedJobs(), 0);
}

}  // namespace

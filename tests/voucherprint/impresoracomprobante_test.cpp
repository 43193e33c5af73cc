#include "voucherprint/impresoracomprobante.h"

#include "platform/vb/steps.h"
#include "tests/voucherprint/print_world.h"

#include <gtest/gtest.h>

namespace {

using vptest::PrintWorld;

// What ObtieneImpresoraComprobante hands back, lines and destination starting as the caller's.
struct Ajustes {
    QString impresora = QStringLiteral("sin leer");
    std::int16_t copias = -1;
    std::int16_t lineas = 99;
    QString destino = QStringLiteral("del llamador");
    QString usuario;
};

Ajustes lee(const QString& tc, const QString& letra, const QString& usuario = {}) {
    Ajustes a;
    a.usuario = usuario;
    ModGlobal::ObtieneImpresoraComprobante(tc, letra, a.impresora, a.copias, a.lineas, a.destino,
                                           a.usuario);
    return a;
}

class ImpresoraComprobanteTest : public ::testing::Test {
protected:
    void fila(const QString& tc, const QString& letra, const QString& usuario,
              const QString& impresora, const QString& copias, const QString& lineas,
              const QString& destino) {
        const auto texto = [](const QString& v) {
            return v.isNull() ? QStringLiteral("NULL")
                              : u'\'' + QString(v).replace(u'\'', QStringLiteral("''")) + u'\'';
        };
        world.exec(QStringLiteral("INSERT INTO TA_CONFIG_IMP_CPTE (TC, LETRA, USUARIO, impresora, "
                                  "CantCopias, CantLineas, DestinoDefault) VALUES (%1, %2, %3, "
                                  "%4, %5, %6, %7)")
                       .arg(texto(tc), texto(letra), texto(usuario), texto(impresora),
                            texto(copias), texto(lineas), texto(destino)));
    }

    PrintWorld world;
};

TEST_F(ImpresoraComprobanteTest, TheStationsRowWinsOverTheRowForEveryStation) {
    fila("FC", "A", QString(), "General|LPT1", "1", "10", "Pantalla");
    fila("FC", "A", "pc-salon|mozo1", "Caja|LPT2", "2", "20", "Impresora");
    const Ajustes a = lee("FC", "A");
    EXPECT_EQ(a.impresora, "Caja|LPT2");
    EXPECT_EQ(a.copias, 2);
    EXPECT_EQ(a.lineas, 20);
    EXPECT_EQ(a.destino, "Impresora");
    // The caller's empty station text comes back as the station key.
    EXPECT_EQ(a.usuario, "pc-salon|mozo1");
}

TEST_F(ImpresoraComprobanteTest, WithoutTheStationsRowTheRowForEveryStationServes) {
    fila("FC", "A", QString(), "General|LPT1", "1", "10", "Pantalla");
    fila("FC", "A", "otra-pc|mozo1", "Otra|LPT2", "2", "20", "Impresora");
    fila("FC", "B", "pc-salon|mozo1", "B|LPT3", "3", "30", "Impresora");
    const Ajustes a = lee("FC", "A");
    EXPECT_EQ(a.impresora, "General|LPT1");
    EXPECT_EQ(a.copias, 1);
    EXPECT_EQ(a.destino, "Pantalla");
}

TEST_F(ImpresoraComprobanteTest, NoRowEmptiesPrinterAndCopiesAndKeepsTheRest) {
    const Ajustes a = lee("FC", "A");
    EXPECT_EQ(a.impresora, "");
    EXPECT_EQ(a.copias, 0);
    EXPECT_EQ(a.lineas, 99);
    EXPECT_EQ(a.destino, "del llamador");
}

TEST_F(ImpresoraComprobanteTest, OnlyABlankStationIsReplacedAndAGivenOneIsUsedAsItIs) {
    fila("NC", "B", QString(), "General", "1", "1", "Pantalla");
    fila("NC", "B", "pc-salon|mozo1", "Caja", "2", "2", "Pantalla");
    fila("NC", "B", "OTRA|PC", "Otra", "3", "3", "Pantalla");
    const struct {
        const char* usuario;
        const char* impresora;
        const char* despues;
    } casos[] = {
        {"   ", "Caja", "pc-salon|mozo1"},
        {"otra|pc", "Otra", "otra|pc"},
        // Not trimmed: the leading blank finds no station row.
        {" otra|pc", "General", " otra|pc"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.usuario);
        const Ajustes a = lee("NC", "B", QString::fromLatin1(c.usuario));
        EXPECT_EQ(a.impresora, c.impresora);
        EXPECT_EQ(a.usuario, c.despues);
    }
}

TEST_F(ImpresoraComprobanteTest, ColumnsAreReadAsTrimmedTextsAndLeadingNumbers) {
    const struct {
        const char* tc;
        const char* impresora;
        const char* copias;
        const char* destino;
        const char* impresoraLeida;
        int copiasLeidas;
        const char* destinoLeido;
    } casos[] = {
        {"T1", "  HP | LPT1  ", "2 copias", " Pantalla ", "HP | LPT1", 2, "Pantalla"},
        {"T2", nullptr, nullptr, nullptr, "", 0, ""},
        {"T3", "x", "copias", "x", "x", 0, "x"},
        {"T4", "x", "2.5", "x", "x", 2, "x"},
        {"T5", "x", "3.5", "x", "x", 4, "x"},
    };
    for (const auto& c : casos) {
        fila(c.tc, "A", QString(), c.impresora ? c.impresora : QString(),
             c.copias ? c.copias : QString(), c.copias ? c.copias : QString(),
             c.destino ? c.destino : QString());
    }
    for (const auto& c : casos) {
        SCOPED_TRACE(c.tc);
        const Ajustes a = lee(c.tc, "A");
        EXPECT_EQ(a.impresora, c.impresoraLeida);
        EXPECT_EQ(a.copias, c.copiasLeidas);
        EXPECT_EQ(a.lineas, c.copiasLeidas);
        EXPECT_EQ(a.destino, c.destinoLeido);
    }
}

// Values go into the statement with their apostrophes doubled, so a quote finds its row.
TEST_F(ImpresoraComprobanteTest, AnApostropheInAValueFindsItsRow) {
    fila("F'C", "'", "pc'1|ana", "Caja", "2", "1", "Pantalla");
    const Ajustes a = lee("F'C", "'", "pc'1|ana");
    EXPECT_EQ(a.impresora, "Caja");
    EXPECT_TRUE(world.op.prompts().isEmpty());
}

TEST_F(ImpresoraComprobanteTest, ACountOutOfRangeGoesToTheErrorDialog) {
    fila("FC", "A", QString(), "Caja", "70000", "5", "Pantalla");
    world.op.answer(vb::vbIgnore).answer(vb::vbAbort);
    const Ajustes ignorado = lee("FC", "A");
    ASSERT_EQ(world.op.messages().size(), 1);
    EXPECT_TRUE(world.op.messages()[0].title.contains("ObtieneImpresoraComprobante"));
    EXPECT_EQ(ignorado.copias, -1);
    EXPECT_EQ(ignorado.lineas, 5);
    EXPECT_EQ(ignorado.destino, "Pantalla");
    // Any other answer leaves at once with the outputs as they stand.
    const Ajustes abortado = lee("FC", "A");
    EXPECT_EQ(abortado.impresora, "Caja");
    EXPECT_EQ(abortado.lineas, 99);
    EXPECT_EQ(abortado.destino, "del llamador");
}

}  // namespace

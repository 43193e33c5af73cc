#include "voucherprint/comandera.h"

#include "platform/vb/steps.h"
#include "tests/voucherprint/print_world.h"
#include "voucherprint/comanderas.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using vptest::Comandera;
using vptest::TicketWorld;

const QString kPedido = QStringLiteral("000100000001X");

void imprime(const QString& id, const QString& destino, bool cocina = false, bool barra = false) {
    ModGlobal::ImprimeEnComandera(QStringLiteral("PE"), id, destino, cocina, barra);
}

TEST(ImprimeEnComanderaTest, EachScenarioPrintsItsExpectedTicket) {
    for (const vptest::Scenario& s : vptest::scenarios()) {
        SCOPED_TRACE(s.name);
        TicketWorld world;
        s.run(world);
        const QString esperado = QString::fromUtf8(zxtest::readFile(vptest::expectedFile(s.name)));
        ASSERT_FALSE(esperado.isEmpty()) << "no expected ticket";
        EXPECT_EQ(vptest::visible(world.ticket()), esperado);
        EXPECT_TRUE(world.op.prompts().isEmpty());
    }
}

TEST(ImprimeEnComanderaTest, NoRecordForThisStationTellsTheOperatorAndSendsNothing) {
    TicketWorld world;
    Comandera otra;
    otra.equipo = QStringLiteral("pc-caja|mozo1");
    world.comanderas({otra});
    world.op.answer(vb::vbOK);
    imprime(kPedido, QStringLiteral("Comandera :COCINA"));
    ASSERT_EQ(world.op.messages().size(), 1);
    const zxtest::Prompt p = world.op.messages()[0];
    EXPECT_EQ(p.text,
              "No se ha configurado una comandera en este equipo, verifiquelo y vuelva a "
              "intentarlo!!!");
    EXPECT_EQ(p.title, "Aviso al operador!!! - 7");
    EXPECT_EQ(p.style, vb::vbOKOnly + vb::vbCritical);
    EXPECT_EQ(world.ticket(), QByteArray());
}

TEST(ImprimeEnComanderaTest, APortThatDoesNotOpenIsReportedWithThePortAsStored) {
    TicketWorld world;
    world.port.mapPort(9, world.folder.file(QStringLiteral("no-such-device")));
    Comandera c;
    c.puerto = QStringLiteral("COM9");
    world.comanderas({c});
    world.op.answer(vb::vbOK);
    imprime(kPedido, QStringLiteral("Comandera :COCINA"));
    ASSERT_EQ(world.op.messages().size(), 1);
    const zxtest::Prompt p = world.op.messages()[0];
    EXPECT_EQ(p.text,
              "Error de Comunicacion con el Puerto seleccionado (COM9 ) verifiquelo y vuelva a "
              "intentarlo. EL COMPROBANTE NO SE HA IMPRESO");
    EXPECT_EQ(p.title, "Aviso al operador!!");
    EXPECT_EQ(p.style, vb::vbOKOnly + vb::vbCritical);
}

TEST(ImprimeEnComanderaTest, PortAndPrinterNamesAreReadWithoutRegardToCase) {
    TicketWorld world;
    Comandera c;
    c.nombre = QStringLiteral("Barra Principal");
    c.puerto = QStringLiteral("com3");
    world.comanderas({c});
    imprime(kPedido, QStringLiteral("COMANDERA :  barra principal "));
    const QByteArray ticket = world.ticket();
    EXPECT_TRUE(ticket.startsWith("\x1b\x21\x20\x0d\x1b\x61\x01"));
    EXPECT_TRUE(ticket.endsWith(QByteArray("\x1d\x56\x00", 3)));
}

TEST(ImprimeEnComanderaTest, AnUnreadableOrderGoesToTheErrorDialogAndAbortClosesThePort) {
    TicketWorld world;
    world.comanderas({Comandera{}});
    world.op.answer(vb::vbAbort);
    imprime(QStringLiteral("000199999999X"), QStringLiteral("Comandera :COCINA"));
    ASSERT_EQ(world.op.messages().size(), 1);
    EXPECT_TRUE(world.op.messages()[0].title.contains("ImprimeEnComandera"));
    EXPECT_FALSE(FrmMvVentas::Default().MSComm1.PortOpen());
    // What was sent before the waiter's line stays sent; no cut follows.
    const QString enviado = vptest::visible(world.ticket());
    EXPECT_TRUE(enviado.endsWith("05/03/24 21:07\\x0a\n")) << enviado.toStdString();
}

TEST(ImprimeEnComanderaTest, IgnoreGoesOnWithTheNextStepToTheCut) {
    TicketWorld world;
    world.comanderas({Comandera{}});
    // The header row is missing: the waiter's line, the customer's line and the total fail.
    world.op.answer(vb::vbIgnore).answer(vb::vbIgnore).answer(vb::vbIgnore);
    imprime(QStringLiteral("000199999999X"), QStringLiteral("Comandera :COCINA"));
    EXPECT_EQ(world.op.messages().size(), 3);
    EXPECT_TRUE(world.ticket().endsWith(QByteArray("\x0a\x0a\x0a\x1d\x56\x00", 6)));
    EXPECT_FALSE(FrmMvVentas::Default().MSComm1.PortOpen());
}

// The bytes of a ticket that are not the program's own printer commands (a mode prefix
// before a line, the line feed after it, the cut at the end): the texts of its lines.
QByteArray textosDelTicket(const QByteArray& ticket) {
    static const QByteArray cut("\x1d\x56\x00", 3);
    QByteArray textos;
    qsizetype i = 0;
    const qsizetype fin = ticket.endsWith(cut) ? ticket.size() - cut.size() : ticket.size();
    while (i < fin) {
        const QByteArray prefijo = ticket.mid(i, 7);
        if (prefijo.size() == 7 && prefijo.startsWith("\x1b\x21") && prefijo[3] == '\x0d' &&
            prefijo.mid(4, 2) == "\x1b\x61") {
            i += 7;
            continue;
        }
        const qsizetype lf = ticket.indexOf('\x0a', i);
        const qsizetype hasta = lf < 0 || lf > fin ? fin : lf;
        textos += ticket.mid(i, hasta - i);
        i = hasta + 1;
    }
    return textos;
}

// A drawer kick (ESC p) or a paper cut (GS V) kept in an article's description, a customer's
// name or the station file's texts must not reach the printer as commands.
TEST(ImprimeEnComanderaTest, ControlBytesFromTheDataNeverReachThePrinter) {
    for (const bool cocina : {false, true}) {
        SCOPED_TRACE(cocina ? "kitchen" : "full");
        TicketWorld world;
        vptest::pedidoConControles(world);
        imprime(vptest::kPedidoConControles, QStringLiteral("Comandera :COCINA"), cocina);
        const QByteArray ticket = world.ticket();
        ASSERT_TRUE(ticket.endsWith(QByteArray("\x1d\x56\x00", 3)));
        const QByteArray textos = textosDelTicket(ticket);
        EXPECT_TRUE(textos.contains("Mila p0") && textos.contains("papas VA"))
            << vptest::visible(ticket).toStdString();
        for (const char b : textos) {
            EXPECT_TRUE(static_cast<unsigned char>(b) >= 0x20 && b != 0x7f)
                << "byte " << int(b) << " in " << vptest::visible(ticket).toStdString();
        }
        EXPECT_TRUE(world.op.prompts().isEmpty());
    }
}

TEST(RenglonImporteTest, TextFittedAndAmountRightAligned) {
    zxtest::ScopedLocale locale(QLocale(QLocale::Spanish, QLocale::Argentina));
    const struct {
        const char* texto;
        double importe;
        const char* linea;
    } casos[] = {
        {"[3,00 X $ 1,50] Cerveza tirada", 4.5, "[3,00 X $ 1,50] Cerveza $    4,50"},
        {"Flan", 0, "Flan                    $    0,00"},
        {"Parrillada", 123456.78, "Parrillada              $ 123456,78"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto);
        EXPECT_EQ(ModGlobal::RenglonImporte(QString::fromUtf8(c.texto),
                                            vb::Currency::fromDouble(c.importe), 33),
                  QString::fromUtf8(c.linea));
    }
}

}  // namespace

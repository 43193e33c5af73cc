#pragma once

#include "platform/reportengine/document.h"
#include "tests/support/fixtures.h"
#include "tests/support/pseudo_serial.h"
#include "tests/support/work_table_world.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace vptest {

// One record of "Comanderas.cfg" as a test writes it; the defaults are the station of the
// ticket world, the kitchen printer "COCINA" on COM3 with every part of the ticket on except
// the two-line item layout.
struct Comandera {
    QString equipo = QStringLiteral("pc-salon|mozo1");
    QString nombre = QStringLiteral("COCINA");
    QString puerto = QStringLiteral("COM3");
    QString imprimeEncabezado1 = QStringLiteral("S");
    QString encabezado1;
    QString imprimeEncabezado2 = QStringLiteral("S");
    QString encabezado2;
    QString imprimeNumero = QStringLiteral("S");
    QString imprimeCliente = QStringLiteral("S");
    QString imprimePie = QStringLiteral("S");
    QString pie = QStringLiteral("Gracias por su visita");
    QString detalleRenglon = QStringLiteral("N");

    // The 17 fields in file order (reserved ones blank).
    QStringList campos() const;
};

// The world a voucher prints in: the scripted operator, a program folder holding the test
// report forms of tests/data/voucherprint/forms, the test database opened as gDB() with the
// company data in the configuration, reports reading through it, the station
// "pc-salon|mozo1" (capitals form in gSeccionIni), 05/03/2024 21:07, es_AR texts.
class PrintWorld : public zxtest::WorkTableWorld {
public:
    PrintWorld();
    ~PrintWorld();

    // Runs SQL Server text on the test database.
    void exec(const QString& sql) const { data.exec(sql); }
    // Answers the next `n` screen previews, each summed up in `previews` (see describe).
    void expectPreviews(int n);
    // Writes the voucher form `<nombre>.rpt` into the program folder: titled with its name,
    // reading AUX_MV_CPTE (also as V_MV_CPTE, C_MV_CPTE, V_MV_STOCK and V_MV_CPTEINSUMOS),
    // showing every header formula the voucher print assigns and the rows' COLUMNA1.
    // Returns its path.
    QString formulario(const QString& nombre);
    // A TA_CONFIG_IMP_CPTE row for every station.
    void impresion(const QString& tc, const QString& letra, const QString& destinoDefault,
                   const QString& copias = QStringLiteral("1"), const QString& impresora = {});

    QStringList previews;

private:
    zxtest::FixedClock clock_;
};

// A report run in one line: the form's title, the selection, the formulas that have a value
// and the rows, each row's values joined by blanks: "title | selection | a=1, b=2 | r1; r2".
QString describe(const reportengine::ReportDocument& document);

// The world a kitchen ticket prints in: the print world with the orders of
// tests/data/voucherprint/orders.sql and a pseudo-terminal as COM3.
class TicketWorld : public PrintWorld {
public:
    TicketWorld();
    ~TicketWorld();

    // Writes "Comanderas.cfg" in the program folder with these records.
    void comanderas(const QList<Comandera>& registros);
    // The bytes the printer received so far.
    QByteArray ticket() { return port.received(); }

    zxtest::PseudoSerialPort port{3};
};

// Order 000100000004X, whose customer's name and item description hold a drawer kick and a
// paper cut (ESC p, GS V), DEL, CR LF, and the station record for it, whose header and
// footer hold control bytes too (detail in two lines).
extern const QString kPedidoConControles;
void pedidoConControles(TicketWorld& world);

// Ticket bytes as text a reader can check: printable characters as they are, "\" doubled,
// every other byte as \xHH, and a line break after each line feed (written \x0a).
QString visible(const QByteArray& bytes);

// A ticket whose whole output is kept under tests/data/voucherprint/<name>/ticket.txt.
struct Scenario {
    const char* name;
    std::function<void(TicketWorld&)> run;
};
const QList<Scenario>& scenarios();
QString expectedFile(const char* name);

}  // namespace vptest

#pragma once

#include "tests/support/work_table_world.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <ostream>

namespace rctest {

// The world a receipt is prepared in: the test database with the fixture receipts
// (tests/data/receipts/receipts.sql) opened as gDB(), the scripted operator, the station
// "pc-caja|ana" (capitals in gSeccionIni), two configured decimals and es_AR texts.
class ReceiptWorld : public zxtest::WorkTableWorld {
public:
    ReceiptWorld();
    ~ReceiptWorld();

    // The receipt prepared as the automatic mailing asks for it: the 13-character voucher
    // number cut into point of sale, number and letter. Returns the formula list, which
    // starts as `formulas`.
    QStringList prepare(const QString& tc, const QString& id, const QString& cuenta = {},
                        std::int32_t copias = 1, std::int32_t items = -1,
                        QStringList formulas = QStringList{QString()});

    // One more application printed with the receipt `tc`/`id` (type stored as written), of
    // the origin voucher `tcOrigen`/`idOrigen`.
    void application(const QString& tc, const QString& id, const QString& tcOrigen,
                     const QString& idOrigen, const QString& importe,
                     const QString& cuenta = QStringLiteral("C0001"), const QString& aplicaTc = {},
                     const QString& aplicaId = {});
    // One more entry line of the voucher `tc`/`id` (type stored padded to four).
    void entryLine(const QString& tc, const QString& id, const QString& cuenta,
                   const QString& importe, const QString& otrasColumnas = {},
                   const QString& otrosValores = {});

    // AUX_MV_CPTE in ID order as text: one block per row, Null columns left out.
    QString dump() const;
    // The formula list, one line per index.
    static QString dumpFormulas(const QStringList& formulas);
};

// A receipt whose whole output (formulas and work table) is kept under
// tests/data/receipts/<name>/expected.txt.
struct Scenario {
    const char* name;
    std::function<QString(ReceiptWorld&)> run;
};
const QList<Scenario>& scenarios();
// Names the scenario in test output.
inline void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}
QString expectedFile(const char* name);

}  // namespace rctest

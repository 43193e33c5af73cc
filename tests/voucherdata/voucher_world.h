#pragma once

#include "tests/support/work_table_world.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace vdtest {

// The world a voucher build runs in: a program folder holding "AFIP.PNG", the scripted
// operator, the test database with the fixture vouchers opened as gDB(), the station
// "pc-caja|ana" (capitals form in gSeccionIni), amounts with two decimals, es_AR texts.
class VoucherWorld : public zxtest::WorkTableWorld {
public:
    VoucherWorld();
    ~VoucherWorld();

    // One voucher built as the automatic mailing asks for it: its type and 13-character
    // identifier, complement "0", no lists, `Agregar` False unless asked. Returns the type as
    // the build wrote it back.
    QString build(const QString& tc, const QString& id, std::int16_t lineasTitulo = 3,
                  const QString& idTarea = {}, bool agregar = false);

    // AUX_MV_CPTE in ID order as text: one block per row, Null columns left out.
    QString dump() const;
    // Runs SQL on the database file directly (triggers and other text the translator
    // does not take).
    void execRaw(const QString& sql) const;
};

// A build whose whole work-table output is kept under tests/data/voucherdata/<name>/.
struct Scenario {
    const char* name;
    std::function<void(VoucherWorld&)> run;
};
const QList<Scenario>& scenarios();
// The expected output of a scenario in the source tree.
QString expectedFile(const char* name);

}  // namespace vdtest

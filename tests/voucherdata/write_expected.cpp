// Writes the expected work-table outputs of the voucher build scenarios into the source tree
// (tests/data/voucherdata/<scenario>/). Run by hand after a deliberate change of the output,
// then read the differences before committing them; the tests never write these files.
#include "tests/support/test_environment.h"
#include "tests/voucherdata/voucher_world.h"

int main(int argc, char** argv) {
    QList<zxtest::ExpectedFile> files;
    for (const vdtest::Scenario& s : vdtest::scenarios())
        files.append({vdtest::expectedFile(s.name), [&s] {
                          vdtest::VoucherWorld world;
                          s.run(world);
                          return world.dump();
                      }});
    return zxtest::writeExpectedFiles(argc, argv, files);
}

// Writes the expected outputs of the receipt scenarios into the source tree
// (tests/data/receipts/<scenario>/expected.txt). Run by hand after a deliberate change of the
// output, then read the differences before committing them; the tests never write these files.
#include "tests/receipts/receipt_world.h"
#include "tests/support/test_environment.h"

int main(int argc, char** argv) {
    QList<zxtest::ExpectedFile> files;
    for (const rctest::Scenario& s : rctest::scenarios())
        files.append({rctest::expectedFile(s.name), [&s] {
                          rctest::ReceiptWorld world;
                          return s.run(world);
                      }});
    return zxtest::writeExpectedFiles(argc, argv, files);
}

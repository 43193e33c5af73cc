// Writes the expected kitchen tickets of the scenarios into the source tree
// (tests/data/voucherprint/<scenario>/ticket.txt). Run by hand after a deliberate change of
// the output, then read the differences before committing them; the tests never write these.
#include "tests/support/test_environment.h"
#include "tests/voucherprint/print_world.h"

int main(int argc, char** argv) {
    QList<zxtest::ExpectedFile> files;
    for (const vptest::Scenario& s : vptest::scenarios())
        files.append({vptest::expectedFile(s.name), [&s] {
                          vptest::TicketWorld world;
                          s.run(world);
                          return vptest::visible(world.ticket());
                      }});
    return zxtest::writeExpectedFiles(argc, argv, files);
}

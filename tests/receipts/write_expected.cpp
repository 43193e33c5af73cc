// Writes the expected outputs of the receipt scenarios into the source tree
// (tests/data/receipts/<scenario>/expected.txt). Run by hand after a deliberate change of the
// output, then read the differences before committing them; the tests never write these files.
#include "tests/receipts/receipt_world.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TZ", "America/Argentina/Buenos_Aires", 0);
    setenv("LC_ALL", "C.UTF-8", 0);
    tzset();
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    int status = 0;
    for (const rctest::Scenario& s : rctest::scenarios()) {
        QString text;
        {
            rctest::ReceiptWorld world;
            text = s.run(world);
        }
        const QString path = rctest::expectedFile(s.name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(text.toUtf8()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            status = 1;
            continue;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return status;
}

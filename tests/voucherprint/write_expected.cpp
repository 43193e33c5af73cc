// Writes the expected kitchen tickets of the scenarios into the source tree
// (tests/data/voucherprint/<scenario>/ticket.txt). Run by hand after a deliberate change of
// the output, then read the differences before committing them; the tests never write these.
#include "platform/vb/app.h"
#include "tests/support/scripted_operator.h"
#include "tests/voucherprint/print_world.h"

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
    zxtest::ScriptedOperator strict;
    strict.setStrictAtEnd(false);
    int status = 0;
    for (const vptest::Scenario& s : vptest::scenarios()) {
        QString text;
        {
            vptest::TicketWorld world;
            s.run(world);
            text = vptest::visible(world.ticket());
        }
        const QString path = vptest::expectedFile(s.name);
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

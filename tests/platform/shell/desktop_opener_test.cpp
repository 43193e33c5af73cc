#include "platform/shell/desktop.h"

#include "tests/support/desktop_openers.h"
#include "tests/support/fixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using zxtest::StandInOpener;

// A file or link counts as opened only when the desktop's opener succeeded; one still running
// after a short wait (a browser started in the foreground) has opened it, and is not waited
// for.
TEST(DesktopOpenerTest, AFileOrLinkIsOpenedOnlyWhenItsOpenerSucceeds) {
    if (zxtest::ranOnXServer()) return;
    QTemporaryDir folder;
    const QString file = folder.filePath("informe de errores.pdf");
    ASSERT_TRUE(zxtest::writeFile(file, "%PDF-1.4\n"));
    const QString link = "https://web.whatsapp.com/send?phone=%2B5493415555555&text=Hola%0AChau";
    struct Case {
        const char* name;
        StandInOpener::Kind kind;
        bool opened;
    };
    const Case cases[] = {
        {"an opener that fails", StandInOpener::Fails, false},
        {"an opener that succeeds", StandInOpener::Succeeds, true},
        {"an opener that keeps running", StandInOpener::KeepsRunning, true},
    };
    const std::pair<QString, QString> targets[] = {
        {link, link},
        {'"' + file + '"', file},
    };
    for (const Case& c : cases) {
        for (const auto& [target, given] : targets) {
            SCOPED_TRACE(std::string(c.name) + ": " + target.toStdString());
            StandInOpener opener(c.kind);
            EXPECT_EQ(shell::openWithAssociated(target), c.opened);
            ASSERT_EQ(opener.calls().size(), 1);
            EXPECT_EQ(opener.calls()[0], QStringList{given});
            EXPECT_EQ(opener.running(), c.kind == StandInOpener::KeepsRunning);
        }
    }
}

}  // namespace

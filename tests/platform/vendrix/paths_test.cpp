#include "platform/vendrix/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(PathsTest, FoldersAndNamesWrittenInAnotherCaseAreFound) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Styles/iTunes");
    QFile f(dir.filePath("Styles/iTunes/Normalitunes.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QString base = dir.path();
    const struct {
        QString asked, expected;
    } cases[] = {
        {base + "\\styles\\ITUNES\\normalITUNES.ini", base + "/Styles/iTunes/Normalitunes.ini"},
        {base + "/STYLES/itunes", base + "/Styles/iTunes"},
        {base + "/Styles/iTunes/Normalitunes.ini", base + "/Styles/iTunes/Normalitunes.ini"},
        {base + "/styles/falta.ini", base + "/styles/falta.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked.toStdString());
        EXPECT_EQ(vendrix::findFileIgnoringCase(c.asked), c.expected);
    }
}

}  // namespace

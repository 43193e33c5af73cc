#include "platform/shell/desktop.h"

#include "tests/support/fixtures.h"
#include "tests/support/opened_links.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

TEST(DesktopTest, AFileOpensThroughTheDesktopWithoutItsQuotes) {
    zxtest::OpenedLinks desktop;
    EXPECT_TRUE(shell::openWithAssociated("\"/tmp/informe de errores.pdf\""));
    EXPECT_TRUE(shell::openWithAssociated("https://web.example.com/send?phone=54911"));
    EXPECT_FALSE(shell::openWithAssociated(""));

    ASSERT_EQ(desktop.urls().size(), 2);
    EXPECT_EQ(desktop.urls()[0], QUrl::fromLocalFile("/tmp/informe de errores.pdf"));
    EXPECT_EQ(desktop.urls()[1], QUrl("https://web.example.com/send?phone=54911"));
}

TEST(DesktopTest, AShortcutIsAnExecutableLauncherOfTheProgram) {
    QTemporaryDir desktop;
    ASSERT_TRUE(shell::createDesktopShortcut("Temporizador", "/opt/mi programa/zentrik",
                                             "/opt/mi programa/zentrik.png", desktop.path()));
    const QString path = desktop.filePath("Temporizador.desktop");
    EXPECT_EQ(zxtest::readFile(path),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Version=1.0\n"
              "Name=Temporizador\n"
              "Exec=\"/opt/mi programa/zentrik\"\n"
              "Icon=/opt/mi programa/zentrik.png\n"
              "Terminal=false\n");
    EXPECT_TRUE(QFile::permissions(path) & QFile::ExeOwner);
}

TEST(DesktopTest, AShortcutOnAFullDiskKeepsTheOldOne) {
    const QByteArray old = "[Desktop Entry]\nName=Zentrik\n";
    const auto run = zxtest::onFullDisk("Zentrik.desktop", old, [](const QString& path) {
        return shell::createDesktopShortcut("Zentrik", "/opt/zentrik/zentrik",
                                            "/opt/zentrik/zentrik", QFileInfo(path).path());
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_FALSE(run->answer);
    EXPECT_EQ(run->files.value("Zentrik.desktop"), old);
    EXPECT_EQ(run->files.keys(), (QStringList{"Zentrik.desktop", "relleno"}));
}

TEST(DesktopTest, AShortcutThatCannotBeWrittenFails) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(shell::createDesktopShortcut("X", "/bin/true", "", dir.filePath("file/sub")));
}

}  // namespace

#include "platform/skin/skinframework.h"
#include "platform/vb/vberror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

void write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

TEST(SkinFrameworkTest, LoadsAFileOrTheSchemeOfAFolderWhateverTheCase) {
    QTemporaryDir dir;
    write(dir.filePath("styles/Vista.cjstyles"), "QWidget { color: red; }");
    write(dir.filePath("styles/itunes/normalitunes.ini"), "QWidget { color: blue; }");
    SkinFramework skin;
    skin.LoadSkin(dir.path() + "\\Styles\\Vista.cjstyles");
    EXPECT_EQ(skin.styleSheet(), "QWidget { color: red; }");
    skin.LoadSkin(dir.path() + "\\Styles\\iTunes", "Normalitunes.ini");
    EXPECT_EQ(skin.styleSheet(), "QWidget { color: blue; }");

    QWidget window;
    skin.ApplyWindow(window);
    EXPECT_EQ(window.styleSheet(), "QWidget { color: blue; }");
}

TEST(SkinFrameworkTest, AMissingSkinRaisesAndKeepsThePreviousOne) {
    QTemporaryDir dir;
    write(dir.filePath("a.qss"), "QWidget { color: red; }");
    SkinFramework skin;
    skin.LoadSkin(dir.filePath("a.qss"));
    for (const QString& missing : {dir.filePath("b.qss"), dir.path()}) {
        try {
            skin.LoadSkin(missing);
            ADD_FAILURE() << "no error for " << missing.toStdString();
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.Number, 53);
        }
    }
    EXPECT_EQ(skin.styleSheet(), "QWidget { color: red; }");
}

}  // namespace

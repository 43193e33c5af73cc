#include "platform/shell/settings.h"

#include "tests/support/fixtures.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() : previous_(shell::setSettingsFolder(dir_.filePath("store"))) {}
    ~SettingsTest() override { shell::setSettingsFolder(previous_); }

    QTemporaryDir dir_;
    QString previous_;
};

TEST_F(SettingsTest, ASavedValueReadsBackByApplicationSectionAndKey) {
    EXPECT_TRUE(shell::SaveSetting("RUZUDCliente", "Settings", "Server", "ftp.example.com"));
    EXPECT_TRUE(
        shell::SaveSetting("RUZUDCliente", "Settings", "Password", "clave, con \"comillas\""));
    EXPECT_TRUE(shell::SaveSetting("Otra", "Settings", "Server", "otro"));

    EXPECT_EQ(shell::GetSetting("RUZUDCliente", "Settings", "Server"), "ftp.example.com");
    EXPECT_EQ(shell::GetSetting("RUZUDCliente", "Settings", "Password"),
              "clave, con \"comillas\"");
    EXPECT_EQ(shell::GetSetting("Otra", "Settings", "Server"), "otro");
}

// On a real full disk the store is not replaced by a short one: the old settings stay.
TEST_F(SettingsTest, ASaveOnAFullDiskKeepsTheOldStore) {
    const QByteArray old = "[Puertos]\nCOM1=/dev/ttyS9\n";
    const auto run = zxtest::onFullDisk("Zentrik.ini", old, [](const QString& path) {
        shell::setSettingsFolder(QFileInfo(path).path());
        return shell::SaveSetting("Zentrik", "Puertos", "COM3", "/dev/ttyUSB0");
    });
    ASSERT_TRUE(run.has_value());
    EXPECT_FALSE(run->answer);
    EXPECT_EQ(run->files.value("Zentrik.ini"), old);
    EXPECT_EQ(run->files.keys(), (QStringList{"Zentrik.ini", "relleno"}));
}

TEST_F(SettingsTest, AMissingValueGivesTheDefault) {
    EXPECT_EQ(shell::GetSetting("RUZUDCliente", "Settings", "User"), "");
    EXPECT_EQ(shell::GetSetting("RUZUDCliente", "Settings", "User", "nadie"), "nadie");
    shell::SaveSetting("RUZUDCliente", "Settings", "Server", "s");
    EXPECT_EQ(shell::GetSetting("RUZUDCliente", "Otra", "Server", "d"), "d");
}

TEST_F(SettingsTest, TheStoreIsPrivateToTheUser) {
    shell::SaveSetting("RUZUDCliente", "Settings", "Password", "secreto");
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(dir_.filePath("store/RUZUDCliente.ini")).constData(), &st),
              0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace

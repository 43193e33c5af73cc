#include "platform/shell/settings.h"

#include "tests/support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
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

// A store as the settings library writes it: the FTP account, the serial ports and the
// places of the windows.
QByteArray storeWrittenByQSettings(const QString& folder) {
    const QString path = QDir(folder).filePath("antes.ini");
    {
        QSettings store(path, QSettings::IniFormat);
        store.setValue("Settings/Server", "ftp.empresa.com.ar");
        store.setValue("Settings/User", "vendrix");
        store.setValue("Settings/Password", "clave, con \"comillas\"; y más");
        store.setValue("Puertos/COM1", "/dev/ttyS0");
        store.setValue("Puertos/COM2", "/dev/ttyUSB1");
        store.setValue("Formularios/frmZentrik.Left", "1200");
        store.setValue("Formularios/frmZentrik.Top", "900");
    }
    return zxtest::readFile(path);
}

// Every key of a store's bytes, as the settings library reads them back.
QMap<QString, QString> readBack(const QByteArray& bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("leido.ini");
    zxtest::writeFile(path, bytes);
    QSettings store(path, QSettings::IniFormat);
    QMap<QString, QString> keys;
    for (const QString& key : store.allKeys()) keys.insert(key, store.value(key).toString());
    return keys;
}

// On a disk with a few pages left the store is whole after every save: the new value with
// every old one, or, when it does not fit, the old store as it was and False.
TEST_F(SettingsTest, ASaveOnANearlyFullDiskKeepsEveryKeyOrTheOldStore) {
    const QByteArray old = storeWrittenByQSettings(dir_.path());
    const QMap<QString, QString> oldKeys = readBack(old);
    ASSERT_EQ(oldKeys.size(), 7);
    const struct {
        qint64 free;
        int length;  // of the value saved
        bool fits;
    } cases[] = {
        {4 * 1024, 5, true},          {8 * 1024, 5, true},          {20 * 1024, 5, true},
        {4 * 1024, 6 * 1024, false},  {8 * 1024, 6 * 1024, true},   {20 * 1024, 6 * 1024, true},
        {4 * 1024, 30 * 1024, false}, {8 * 1024, 30 * 1024, false}, {20 * 1024, 30 * 1024, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.free / 1024 << " KiB free, a value of " << c.length);
        const QString value = QString(c.length, u'7');
        const auto run = zxtest::onFullDisk(
            "Zentrik.ini", old,
            [&](const QString& path) {
                shell::setSettingsFolder(QFileInfo(path).path());
                return shell::SaveSetting("Zentrik", "Puertos", "COM3", value);
            },
            c.free);
        ASSERT_TRUE(run.has_value());
        EXPECT_EQ(run->answer, c.fits);
        EXPECT_EQ(run->files.keys(), (QStringList{"Zentrik.ini", "relleno"}));
        if (c.fits) {
            QMap<QString, QString> expected = oldKeys;
            expected.insert("Puertos/COM3", value);
            EXPECT_EQ(readBack(run->files.value("Zentrik.ini")), expected);
        } else {
            EXPECT_EQ(run->files.value("Zentrik.ini"), old);
        }
    }
}

// A store the settings library wrote keeps every key through a save, and values of every
// kind read back as they were saved.
TEST_F(SettingsTest, EveryValueReadsBackAndTheOtherKeysStay) {
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("store")));
    ASSERT_TRUE(zxtest::writeFile(dir_.filePath("store/Zentrik.ini"),
                                  storeWrittenByQSettings(dir_.path())));
    const QStringList values = {
        "",
        " con blancos alrededor ",
        "a,b",
        "a;b",
        "clave=valor",
        "\"entre comillas\"",
        "C:\\Vendrix\\ZX900pr.INI",
        "línea\r\notra\tcon tabulador",
        QString("\x01") + "abc" + QChar(0x1f) + "9",
        "@ByteArray(nada)",
        "@@",
        "ñandú € 😀",
        "%41 %U0041",
        "  ",
    };
    for (int i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(values[i].toStdString());
        const QString key = QStringLiteral("Valor %1 ñ/%").arg(i);
        ASSERT_TRUE(shell::SaveSetting("Zentrik", "Sección de prueba", key, values[i]));
        EXPECT_EQ(shell::GetSetting("Zentrik", "Sección de prueba", key, "nada"), values[i]);
    }
    for (int i = 0; i < values.size(); ++i) {
        EXPECT_EQ(shell::GetSetting("Zentrik", "Sección de prueba",
                                    QStringLiteral("Valor %1 ñ/%").arg(i), "nada"),
                  values[i]);
    }
    EXPECT_EQ(shell::GetSetting("Zentrik", "Settings", "Password"),
              "clave, con \"comillas\"; y más");
    EXPECT_EQ(shell::GetSetting("Zentrik", "Formularios", "frmZentrik.Top"), "900");
    EXPECT_EQ(shell::GetSetting("Zentrik", "Puertos", "COM2"), "/dev/ttyUSB1");
}

// Saves that follow each other at once, with values of one length, each read back: the
// store is never read as it was before the last save. On a file system in memory, where
// saves come quicker than the clock of its files moves.
TEST_F(SettingsTest, QuickSavesOfValuesOfOneLengthReadBackTheLast) {
    const auto run = zxtest::onSmallDisk(
        [](const QString& folder) {
            shell::setSettingsFolder(folder);
            int wrong = 0;
            for (int i = 0; i < 30; ++i) {
                const QString puerto = QStringLiteral("COM%1").arg(i % 10);
                if (!shell::SaveSetting("Zentrik", "Puertos", "Comandera", puerto) ||
                    !shell::SaveSetting("Zentrik", "Settings", "Server", "s" + puerto))
                    return false;
                if (shell::GetSetting("Zentrik", "Puertos", "Comandera") != puerto) ++wrong;
                if (shell::GetSetting("Zentrik", "Settings", "Server") != "s" + puerto) ++wrong;
            }
            return wrong == 0;
        },
        256 * 1024);
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(run->answer);
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

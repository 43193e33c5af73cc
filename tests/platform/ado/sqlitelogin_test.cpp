// The embedded engine's login files, on their own: what lets a login in, what refuses it, and
// what writing one leaves on disk.
#include "platform/ado/errors.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/ado/sqlitelogin.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

class EmbeddedLoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        database = QDir(dir.path()).filePath(QStringLiteral("ZENTRIK.db"));
        login = QDir(dir.path()).filePath(QStringLiteral("ZENTRIK.login"));
        QFile f(database);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        ASSERT_TRUE(QFile::setPermissions(database, kOwnerOnly));
    }

    // The refusal of this login, if it is refused.
    std::optional<ado::Error> refusal(const QString& user, const QString& password) {
        try {
            ado::checkEmbeddedLogin(database, user, password);
        } catch (const ado::ProviderFailure& f) {
            EXPECT_EQ(f.errors.size(), 1);
            return f.errors.value(0);
        }
        return std::nullopt;
    }

    void writeLoginFile(const QByteArray& bytes) {
        QFile f(login);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        ASSERT_TRUE(QFile::setPermissions(login, kOwnerOnly));
    }

    QByteArray loginFileBytes() const {
        QFile f(login);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString database, login;
};

TEST_F(EmbeddedLoginTest, TheLoginFileIsBesideTheDatabaseNamedAfterIt) {
    EXPECT_EQ(ado::embeddedLoginFile(database), login);
    EXPECT_EQ(ado::embeddedLoginFile(QStringLiteral("/datos/KQ_ESTADISTICAS.db")),
              QStringLiteral("/datos/KQ_ESTADISTICAS.login"));
}

// Only the recorded user (without regard to case or blanks around it) with its exact password
// is let in; every refusal is SQL Server's 18456 naming the user.
TEST_F(EmbeddedLoginTest, OnlyARecordedUserWithItsExactPasswordIsLetIn) {
    ASSERT_TRUE(ado::recordEmbeddedLogin(database, "ana", "Secreta 1"));
    const struct {
        const char* user;
        const char* password;
        bool admitted;
    } cases[] = {
        {"ana", "Secreta 1", true},   {"ANA", "Secreta 1", true},   {" Ana ", "Secreta 1", true},
        {"ana", "secreta 1", false},  {"ana", "Secreta 1 ", false}, {"ana", "", false},
        {"beto", "Secreta 1", false}, {"", "Secreta 1", false},     {"an", "Secreta 1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.user) + "/" + c.password);
        const std::optional<ado::Error> e = refusal(c.user, c.password);
        EXPECT_EQ(!e.has_value(), c.admitted);
        if (!e) continue;
        EXPECT_EQ(e->NativeError, 18456);
        EXPECT_EQ(e->Description, QStringLiteral("Login failed for user '%1'.").arg(c.user));
    }
}

// A login file or database others may read or change lets nobody in, whatever its logins;
// the owner's alone (also read-only) lets the recorded login in.
TEST_F(EmbeddedLoginTest, AFileOthersMayReadOrChangeLetsNobodyIn) {
    ASSERT_TRUE(ado::recordEmbeddedLogin(database, "ana", "secreta"));
    const struct {
        const char* name;
        QFile::Permissions mode;
        bool admitted;
    } modes[] = {
        {"0600", kOwnerOnly, true},
        {"0400", QFile::ReadOwner, true},
        {"0640", kOwnerOnly | QFile::ReadGroup, false},
        {"0620", kOwnerOnly | QFile::WriteGroup, false},
        {"0604", kOwnerOnly | QFile::ReadOther, false},
        {"0602", kOwnerOnly | QFile::WriteOther, false},
        {"0666",
         kOwnerOnly | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther,
         false},
    };
    for (const QString& file : {login, database}) {
        for (const auto& m : modes) {
            SCOPED_TRACE(file.toStdString() + " " + m.name);
            ASSERT_TRUE(QFile::setPermissions(file, m.mode));
            const std::optional<ado::Error> e = refusal("ana", "secreta");
            EXPECT_EQ(!e.has_value(), m.admitted);
            if (e) {
                EXPECT_EQ(e->NativeError, 18456);
                EXPECT_TRUE(e->Description.contains(file) &&
                            e->Description.contains(QStringLiteral("otros usuarios")) &&
                            e->Description.contains(QStringLiteral("chmod 600")))
                    << e->Description.toStdString();
            }
        }
        ASSERT_TRUE(QFile::setPermissions(file, kOwnerOnly));
    }
}

// A login file that is not one (empty, other text, lines cut short, a digest changed) lets
// nobody in and breaks nothing; recording a login replaces it, adding one keeps only the
// whole lines of others.
TEST_F(EmbeddedLoginTest, ADamagedLoginFileLetsNobodyInUntilALoginIsRecorded) {
    ASSERT_TRUE(ado::recordEmbeddedLogin(database, "ana", "secreta"));
    const QByteArray good = loginFileBytes();
    const QList<QByteArray> parts = good.trimmed().split('\t');
    ASSERT_EQ(parts.size(), 3);
    QByteArray changedDigest = parts[2];
    changedDigest[0] = changedDigest[0] == 'a' ? 'b' : 'a';
    const struct {
        const char* name;
        QByteArray bytes;
    } damaged[] = {
        {"empty", QByteArray()},
        {"other text", QByteArray("[logins]\nana=secreta\n")},
        {"binary", QByteArray("\x00\xff\x10\t\t\n\x00", 7)},
        {"without the digest", parts[0] + '\t' + parts[1] + '\n'},
        {"a field more", parts[0] + '\t' + parts[1] + '\t' + parts[2] + "\tx\n"},
        {"digest cut short", parts[0] + '\t' + parts[1] + '\t' + parts[2].left(20) + '\n'},
        {"digest changed", parts[0] + '\t' + parts[1] + '\t' + changedDigest + '\n'},
        {"salt changed", parts[0] + "\tx" + parts[1] + '\t' + parts[2] + '\n'},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.name);
        writeLoginFile(d.bytes);
        const std::optional<ado::Error> e = refusal("ana", "secreta");
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->NativeError, 18456);
        EXPECT_EQ(e->Description, QStringLiteral("Login failed for user 'ana'."));
    }
    writeLoginFile(QByteArray("basura sin tabuladores\n") + good + "ana\tcorta\n");
    ASSERT_TRUE(ado::addEmbeddedLogin(database, "beto", "clave"));
    EXPECT_FALSE(refusal("ana", "secreta").has_value());
    EXPECT_FALSE(refusal("beto", "clave").has_value());
    EXPECT_EQ(loginFileBytes().count('\n'), 2);

    writeLoginFile("no es un archivo de acceso");
    ASSERT_TRUE(ado::recordEmbeddedLogin(database, "carla", "clave"));
    EXPECT_FALSE(refusal("carla", "clave").has_value());
    EXPECT_TRUE(refusal("ana", "secreta").has_value());
}

// Writing a login leaves the file its owner's alone, whatever mode it had; a name that cannot
// be a line of the file, or a folder that cannot take the file, is refused with its reason
// and changes nothing.
TEST_F(EmbeddedLoginTest, WritingALoginLeavesTheFileTheOwnersAloneAndRefusesWhatItCannotWrite) {
    writeLoginFile("ana\tsal\tdigest\n");
    ASSERT_TRUE(QFile::setPermissions(login, kOwnerOnly | QFile::ReadOther | QFile::ReadGroup));
    ASSERT_TRUE(ado::addEmbeddedLogin(database, "beto", "clave"));
    EXPECT_EQ(QFile::permissions(login) & ~(QFile::ReadUser | QFile::WriteUser), kOwnerOnly);
    ASSERT_TRUE(ado::recordEmbeddedLogin(database, "ana", "secreta"));
    EXPECT_EQ(QFile::permissions(login) & ~(QFile::ReadUser | QFile::WriteUser), kOwnerOnly);
    const QByteArray before = loginFileBytes();
    for (const char* name : {"", "   ", "an\ta", "an\na", "an\ra"}) {
        SCOPED_TRACE(name);
        for (bool add : {false, true}) {
            QString why;
            const bool written = add ? ado::addEmbeddedLogin(database, name, "x", &why)
                                     : ado::recordEmbeddedLogin(database, name, "x", &why);
            EXPECT_FALSE(written);
            EXPECT_TRUE(why.contains(login) && why.contains(QStringLiteral("not a login name")))
                << why.toStdString();
        }
    }
    EXPECT_EQ(loginFileBytes(), before);
    QString why;
    const QString elsewhere = QDir(dir.path()).filePath(QStringLiteral("no/existe/OTRA.db"));
    EXPECT_FALSE(ado::recordEmbeddedLogin(elsewhere, "ana", "secreta", &why));
    EXPECT_TRUE(why.contains(ado::embeddedLoginFile(elsewhere))) << why.toStdString();
    EXPECT_FALSE(QFile::exists(ado::embeddedLoginFile(elsewhere)));
}

// A database without its login file lets nobody in, and the refusal says which file is
// missing and the command that makes it.
TEST_F(EmbeddedLoginTest, WithoutTheLoginFileNobodyIsLetInAndTheRefusalSaysWhatToDo) {
    for (const char* user : {"ana", "sa", ""}) {
        SCOPED_TRACE(user);
        const std::optional<ado::Error> e = refusal(user, "secreta");
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->NativeError, 18456);
        EXPECT_EQ(e->SQLState, QStringLiteral("28000"));
        EXPECT_TRUE(e->Description.startsWith(
            QStringLiteral("No existe el archivo de acceso %1: la base de datos no registra "
                           "ningún ingreso y no se admite ninguno.")
                .arg(login)))
            << e->Description.toStdString();
        EXPECT_TRUE(
            e->Description.contains(QStringLiteral("zentrik-login <carpeta> <base> <usuario>")))
            << e->Description.toStdString();
    }
    EXPECT_FALSE(QFile::exists(login));
}

}  // namespace

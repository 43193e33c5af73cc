#include "platform/ado/ado.h"
#include "platform/ado/connectionstring.h"
#include "platform/ado/odbcbackend.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/vb/vberror.h"
#include "tests/platform/ado/fixture_schema.h"
#include "tests/platform/ado/sqlite_files.h"
#include "tests/support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace {

using ado::Connection;
using ado::ProviderKind;

TEST(ConnectionStringTest, ProviderAndParametersComeFromTheString) {
    struct Case {
        const char* text;
        ProviderKind kind;
        const char* server;
        const char* database;
        const char* dataSource;
        const char* user;
        const char* password;
    };
    const Case cases[] = {
        {"PROVIDER=SQLOLEDB;Server=sqlite:/srv/datos;Database =DEMO;UId=ana;Pwd=s;",
         ProviderKind::Embedded, "/srv/datos", "DEMO", "", "ana", "s"},
        {"Provider = sqloledb ; data source = SRV\\VENDRIX ; Initial Catalog = 'MI BASE' ; "
         "User ID=u;Password=\"p;w\"\"x\"",
         ProviderKind::SqlServer, "SRV\\VENDRIX", "MI BASE", "", "u", "p;w\"x"},
        {"PROVIDER=SQLOLEDB;Server=10.0.0.5:1500;Database =EMPRESA;UId=sa;Pwd=;",
         ProviderKind::SqlServer, "10.0.0.5:1500", "EMPRESA", "", "sa", ""},
        {"Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;", ProviderKind::Oracle,
         "", "", "ORCL", "u", "p"},
        {"PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =/x/a b.mdb;User ID=admin;Password=;",
         ProviderKind::Jet, "", "", "/x/a b.mdb", "admin", ""},
        {"Provider=Microsoft.Jet.OLEDB.3.51;Data Source='/x/c.mdb'", ProviderKind::Jet, "", "",
         "/x/c.mdb", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ado::ConnectionSettings s = ado::parseConnectionSettings(QString::fromUtf8(c.text));
        EXPECT_EQ(s.kind, c.kind);
        EXPECT_EQ(s.server, QString::fromUtf8(c.server));
        EXPECT_EQ(s.database, QString::fromUtf8(c.database));
        EXPECT_EQ(s.dataSource, QString::fromUtf8(c.dataSource));
        EXPECT_EQ(s.user, QString::fromUtf8(c.user));
        EXPECT_EQ(s.password, QString::fromUtf8(c.password));
    }
}

TEST(ConnectionStringTest, OpenArgumentsWinAndUnknownProvidersAreRefused) {
    const auto s =
        ado::parseConnectionSettings(QStringLiteral("Provider=SQLOLEDB;Server=h;UId=a;Pwd=b;"),
                                     QStringLiteral("otro"), QStringLiteral("clave"));
    EXPECT_EQ(s.user, QStringLiteral("otro"));
    EXPECT_EQ(s.password, QStringLiteral("clave"));
    EXPECT_EQ(zxtest::raisedNumber([] {
                  ado::parseConnectionSettings(QStringLiteral("Provider=MSDAORA;Data Source=x"));
              }),
              ado::err::ProviderNotFound);
}

TEST(ConnectionStringTest, SqlServerHostGivesFreeTdsServerAndPort) {
    const struct {
        const char* server;
        const char* expected;
    } cases[] = {
        {"srv:1500", "SERVER=srv;PORT=1500;"},
        {"srv,1500", "SERVER=srv;PORT=1500;"},
        {"srv\\VENDRIX", "SERVER=srv\\VENDRIX;DATABASE"},
        {"srv", "SERVER=srv;PORT=1433;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        ado::ConnectionSettings s;
        s.server = QString::fromUtf8(c.server);
        s.database = QStringLiteral("EMPRESA");
        s.user = QStringLiteral("sa");
        s.password = QStringLiteral("a;b");
        const QString odbc = ado::OdbcBackend::sqlServerOdbcString(s);
        EXPECT_TRUE(odbc.startsWith(QStringLiteral("DRIVER={FreeTDS};"))) << odbc.toStdString();
        EXPECT_TRUE(odbc.contains(QString::fromUtf8(c.expected))) << odbc.toStdString();
        EXPECT_TRUE(odbc.contains(QStringLiteral("PWD={a;b};"))) << odbc.toStdString();
        EXPECT_TRUE(odbc.contains(QStringLiteral("TDS_Version=7."))) << odbc.toStdString();
    }
}

class EmbeddedConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { files.create(QStringLiteral("ZENTRIK"), fixtureSchema()); }
    SqliteFiles files;
    Connection cn;
};

TEST_F(EmbeddedConnectionTest, OpensTheDatabaseFileOfTheFolder) {
    cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    EXPECT_EQ(cn.State(), ado::adStateOpen);
    EXPECT_EQ(cn.DefaultDatabase(), QStringLiteral("ZENTRIK"));
    ado::Recordset rs = cn.Execute(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION"));
    EXPECT_EQ(rs[QStringLiteral("VALOR")], vb::Variant("Comercial Norte"));
    cn.Close();
    EXPECT_EQ(cn.State(), ado::adStateClosed);
}

// The login file holds the password's digest and the database its data: while others may
// read or change either, no login gets in, and the error says why, naming the file.
TEST_F(EmbeddedConnectionTest, ALoginOrDatabaseFileOthersCanReadOrWriteIsRefused) {
    const QString login = QDir(files.folder()).filePath(QStringLiteral("ZENTRIK.login"));
    const QString database = QDir(files.folder()).filePath(QStringLiteral("ZENTRIK.db"));
    ASSERT_TRUE(ado::recordEmbeddedLogin(database, "ana", "secreta"));
    cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    EXPECT_EQ(cn.State(), ado::adStateOpen);
    cn.Close();
    const struct {
        const char* name;
        QFile::Permissions extra;
    } cases[] = {
        {"readable by the group", QFile::ReadGroup},
        {"readable by everyone", QFile::ReadOther},
        {"writable by the group", QFile::WriteGroup},
        {"writable by everyone", QFile::WriteOther},
    };
    for (const QString& file : {login, database}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(file.toStdString() + " " + c.name);
            ASSERT_TRUE(
                QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | c.extra));
            Connection otra;
            EXPECT_EQ(zxtest::raisedNumber(
                          [&] { otra.Open(files.connectionString(QStringLiteral("ZENTRIK"))); }),
                      ado::err::ProviderFailure);
            EXPECT_EQ(otra.State(), ado::adStateClosed);
            ASSERT_EQ(otra.errors().Count(), 1);
            EXPECT_EQ(otra.errors().Item(0).NativeError, 18456);
            const QString texto = otra.errors().Item(0).Description;
            EXPECT_TRUE(texto.contains(file) && texto.contains(QStringLiteral("otros usuarios")))
                << texto.toStdString();
        }
        ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    }
    cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    EXPECT_EQ(cn.State(), ado::adStateOpen);
}

// A database copied as `cp` leaves it (readable by all, no login file beside it) lets nobody
// in, as SQL Server refuses a login it does not know. A Jet file has no logins and opens.
TEST_F(EmbeddedConnectionTest, ADatabaseWithoutALoginLetsNobodyIn) {
    const QDir dir(files.folder());
    const QString copia = dir.filePath(QStringLiteral("COPIA.db"));
    ASSERT_TRUE(QFile::copy(dir.filePath(QStringLiteral("ZENTRIK.db")), copia));
    const QFile::Permissions cp =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(copia, cp));
    const auto refusal = [&](const QString& user, const QString& password) {
        Connection otra;
        EXPECT_EQ(zxtest::raisedNumber([&] {
                      otra.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=sqlite:%1;Database "
                                               "=COPIA;UId=%2;Pwd=%3;")
                                    .arg(files.folder(), user, password));
                  }),
                  ado::err::ProviderFailure);
        EXPECT_EQ(otra.State(), ado::adStateClosed);
        return otra.errors().Count() == 1 ? otra.errors().Item(0) : ado::Error{};
    };
    const QString login = dir.filePath(QStringLiteral("COPIA.login"));
    for (const char* user : {"anyone", "ana", "sa"}) {
        SCOPED_TRACE(user);
        const ado::Error e = refusal(QString::fromUtf8(user), QStringLiteral("anything"));
        EXPECT_EQ(e.NativeError, 18456);
        EXPECT_EQ(e.SQLState, QStringLiteral("28000"));
        EXPECT_TRUE(e.Description.contains(login) &&
                    e.Description.contains(QStringLiteral("No existe el archivo de acceso")))
            << e.Description.toStdString();
    }

    // Once it records a login, and is its owner's alone, it opens for that login.
    ASSERT_TRUE(ado::recordEmbeddedLogin(copia, "ana", "secreta"));
    ASSERT_TRUE(QFile::setPermissions(copia, QFile::ReadOwner | QFile::WriteOwner));
    cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=sqlite:%1;Database =COPIA;UId=ana;"
                           "Pwd=secreta;")
                .arg(files.folder()));
    EXPECT_EQ(cn.State(), ado::adStateOpen);
    cn.Close();

    const QString jet = dir.filePath(QStringLiteral("local.mdb"));
    ASSERT_TRUE(QFile::copy(dir.filePath(QStringLiteral("ZENTRIK.db")), jet));
    ASSERT_TRUE(QFile::setPermissions(jet, cp));
    cn.Open(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =%1;User ID=admin;"
                           "Password=;")
                .arg(jet));
    EXPECT_EQ(cn.State(), ado::adStateOpen);
}

// A database knows several logins, as a server does; adding one again changes its password,
// and recording one lets in that one alone.
TEST_F(EmbeddedConnectionTest, EveryRecordedLoginIsLetInWithItsLastPassword) {
    const QString file = QDir(files.folder()).filePath(QStringLiteral("ZENTRIK.db"));
    const auto opens = [&](const char* user, const char* password) {
        Connection otra;
        const long raised = zxtest::raisedNumber([&] {
            otra.Open(
                QStringLiteral(
                    "PROVIDER=SQLOLEDB;Server=sqlite:%1;Database =ZENTRIK;UId=%2;Pwd=%3;")
                    .arg(files.folder(), QString::fromUtf8(user), QString::fromUtf8(password)));
        });
        if (otra.State() == ado::adStateOpen) return true;
        EXPECT_EQ(raised, ado::err::ProviderFailure);
        EXPECT_EQ(otra.errors().Item(0).Description,
                  QStringLiteral("Login failed for user '%1'.").arg(user));
        return false;
    };
    ASSERT_TRUE(ado::addEmbeddedLogin(file, "beto", "clave"));
    ASSERT_TRUE(ado::addEmbeddedLogin(file, "Ana", "nueva"));
    const struct {
        const char* user;
        const char* password;
        bool admitted;
    } cases[] = {
        {"beto", "clave", true},   {"ana", "nueva", true},   {"ANA", "nueva", true},
        {"ana", "secreta", false}, {"beto", "nueva", false}, {"carla", "clave", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.user) + "/" + c.password);
        EXPECT_EQ(opens(c.user, c.password), c.admitted);
    }
    ASSERT_TRUE(ado::recordEmbeddedLogin(file, "carla", "clave"));
    EXPECT_TRUE(opens("carla", "clave"));
    EXPECT_FALSE(opens("beto", "clave"));
    EXPECT_FALSE(opens("ana", "nueva"));
}

// The login is checked again for a database chosen after the open, also when the open named
// none: another database may know the same user with another password.
TEST_F(EmbeddedConnectionTest, ADatabaseChosenLaterChecksTheSameLogin) {
    files.create(QStringLiteral("OTRA"), QStringLiteral("CREATE TABLE T (A INT);"));
    const QString otra = QDir(files.folder()).filePath(QStringLiteral("OTRA.db"));
    ASSERT_TRUE(ado::recordEmbeddedLogin(otra, "beto", "clave"));
    ASSERT_TRUE(ado::addEmbeddedLogin(otra, "ANA", "otra clave"));
    cn.Open(files.connectionString(QString()));
    EXPECT_EQ(zxtest::raisedNumber([&] { cn.setDefaultDatabase(QStringLiteral("OTRA")); }),
              ado::err::ProviderFailure);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 18456);
    cn.setDefaultDatabase(QStringLiteral("ZENTRIK"));
    EXPECT_EQ(cn.DefaultDatabase(), QStringLiteral("ZENTRIK"));
}

TEST_F(EmbeddedConnectionTest, DatabaseNameIsFoundWithoutRegardToCase) {
    cn.Open(files.connectionString(QStringLiteral("zentrik")));
    EXPECT_EQ(cn.State(), ado::adStateOpen);
}

TEST_F(EmbeddedConnectionTest, MissingDatabaseIsAProviderErrorAndNoFileIsMade) {
    EXPECT_EQ(
        zxtest::raisedNumber([&] { cn.Open(files.connectionString(QStringLiteral("NADA"))); }),
        ado::err::ProviderFailure);
    EXPECT_EQ(cn.State(), ado::adStateClosed);
    ASSERT_EQ(cn.errors().Count(), 1);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 4060);
    EXPECT_FALSE(QFileInfo::exists(QDir(files.folder()).filePath(QStringLiteral("NADA.db"))));
}

TEST_F(EmbeddedConnectionTest, MissingFolderIsAProviderError) {
    EXPECT_EQ(zxtest::raisedNumber([&] {
                  cn.Open(
                      QStringLiteral("PROVIDER=SQLOLEDB;Server=sqlite:/no/such/folder;"
                                     "Database =ZENTRIK;"));
              }),
              ado::err::ProviderFailure);
    EXPECT_EQ(cn.errors().Item(0).SQLState, QStringLiteral("08001"));
}

TEST_F(EmbeddedConnectionTest, OpenAndCloseRaiseInTheWrongState) {
    EXPECT_EQ(zxtest::raisedNumber([&] { cn.Close(); }), ado::err::ObjectClosed);
    EXPECT_EQ(zxtest::raisedNumber([&] { cn.Execute(QStringLiteral("SELECT 1")); }),
              ado::err::NoConnection);
    cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    EXPECT_EQ(zxtest::raisedNumber([&] { cn.Open(); }), ado::err::ObjectOpen);
    // ADO's own errors leave the provider's list alone.
    EXPECT_EQ(cn.errors().Count(), 0);
}

TEST_F(EmbeddedConnectionTest, DefaultDatabaseSwitchesTheFile) {
    files.create(QStringLiteral("KQ_ESTADISTICAS"),
                 QStringLiteral("CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(50), VALOR "
                                "VARCHAR(50)); INSERT INTO TA_CONFIGURACION VALUES ('TimeOut', "
                                "'120');"));
    cn.Open(files.connectionString(QString()));
    cn.setDefaultDatabase(QStringLiteral("KQ_ESTADISTICAS"));
    EXPECT_EQ(cn.DefaultDatabase(), QStringLiteral("KQ_ESTADISTICAS"));
    EXPECT_EQ(
        cn.Execute(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION"))[QStringLiteral("VALOR")],
        vb::Variant("120"));
    cn.setDefaultDatabase(QStringLiteral("ZENTRIK"));
    EXPECT_EQ(
        cn.Execute(QStringLiteral("SELECT VALOR FROM TA_CONFIGURACION"))[QStringLiteral("VALOR")],
        vb::Variant("Comercial Norte"));
    EXPECT_EQ(zxtest::raisedNumber([&] { cn.setDefaultDatabase(QStringLiteral("OTRA")); }),
              ado::err::ProviderFailure);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 911);
    EXPECT_EQ(cn.DefaultDatabase(), QStringLiteral("ZENTRIK"));
}

TEST_F(EmbeddedConnectionTest, JetDataSourceOpensAsSqliteAndOtherFilesGiveJetsErrors) {
    const QString file = QDir(files.folder()).filePath(QStringLiteral("ZENTRIK.db"));
    cn.Open(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =%1;User ID=admin;"
                           "Password=;")
                .arg(file));
    EXPECT_EQ(
        cn.Execute(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION")).Fields(0L).Value(),
        vb::Variant(1));
    cn.Close();
    EXPECT_EQ(zxtest::raisedNumber([&] {
                  cn.Open(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =%1;")
                              .arg(file + QStringLiteral(".falta")));
              }),
              ado::err::ProviderFailure);
    EXPECT_EQ(cn.errors().Item(0).SQLState, QStringLiteral("3024"));

    // A file that is no database: Jet's "unrecognized database format".
    const QString notADatabase = QDir(files.folder()).filePath(QStringLiteral("viejo.mdb"));
    QFile f(notADatabase);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    EXPECT_EQ(zxtest::raisedNumber([&] {
                  cn.Open(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =%1;")
                              .arg(notADatabase));
              }),
              ado::err::ProviderFailure);
    EXPECT_EQ(cn.errors().Item(0).SQLState, QStringLiteral("3343"));
    EXPECT_EQ(cn.State(), ado::adStateClosed);
}

TEST_F(EmbeddedConnectionTest, ErrorsAreReplacedByAFailureAndKeptByACleanCall) {
    cn.Open(files.connectionString(QStringLiteral("ZENTRIK")));
    EXPECT_EQ(zxtest::raisedNumber([&] { cn.Execute(QStringLiteral("SELECT * FROM NO_EXISTE")); }),
              ado::err::NoSuchTable);
    ASSERT_EQ(cn.errors().Count(), 1);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 208);
    cn.Execute(QStringLiteral("UPDATE TA_CONFIGURACION SET VALOR = 'x' WHERE 1 = 0"));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION"), cn);
    ASSERT_EQ(cn.errors().Count(), 1);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 208);
    EXPECT_EQ(
        zxtest::raisedNumber([&] { cn.Execute(QStringLiteral("SELECT NADA FROM AUX_ERR")); }),
        ado::err::CommandTextError);
    ASSERT_EQ(cn.errors().Count(), 1);
    EXPECT_EQ(cn.errors().Item(0).NativeError, 207);
    cn.errors().Clear();
    EXPECT_EQ(cn.errors().Count(), 0);
    EXPECT_EQ(zxtest::raisedNumber([&] { cn.errors().Item(0); }), ado::err::ItemNotFound);
}

// The database class's connection lives until the process ends, also when the program ends
// through exit() with its application object still alive.
TEST(ProgramWideConnectionTest, LetsTheProgramEndCleanly) {
    SqliteFiles files;
    files.create(QStringLiteral("ZENTRIK"), fixtureSchema());
    const QString text = files.connectionString(QStringLiteral("ZENTRIK"));
    EXPECT_EXIT(
        {
            static Connection programWide;
            programWide.Open(text);
            std::exit(programWide.State() == ado::adStateOpen ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A port nobody listens on: bound, then released.
int closedPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

TEST(SqlServerConnectionTest, ClosedPortFailsThroughFreeTdsWithTheErrorsListed) {
    Connection cn;
    const QString text =
        QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1:%1;Database =EMPRESA;UId=sa;Pwd=x;")
            .arg(closedPort());
    EXPECT_EQ(zxtest::raisedNumber([&] { cn.Open(text); }), ado::err::ProviderFailure);
    EXPECT_EQ(cn.State(), ado::adStateClosed);
    ASSERT_GE(cn.errors().Count(), 1);
    const ado::Error& first = cn.errors().Item(0);
    EXPECT_EQ(first.Number, ado::err::ProviderFailure);
    EXPECT_EQ(first.SQLState, QStringLiteral("08001"));
    EXPECT_EQ(first.Source, ado::sqlServerSource());
    EXPECT_FALSE(first.Description.isEmpty());
    EXPECT_FALSE(first.Description.startsWith(QLatin1Char('[')));
    EXPECT_NE(first.NativeError, 0);
}

// Points unixODBC at a driver list of the test's own for its lifetime.
class OdbcInstallList {
public:
    explicit OdbcInstallList(const QByteArray& contents) {
        QFile f(dir_.filePath(QStringLiteral("odbcinst.ini")));
        f.open(QIODevice::WriteOnly);
        f.write(contents);
        f.close();
        previous_ = qgetenv("ODBCSYSINI");
        qputenv("ODBCSYSINI", dir_.path().toUtf8());
    }
    ~OdbcInstallList() {
        if (previous_.isEmpty())
            qunsetenv("ODBCSYSINI");
        else
            qputenv("ODBCSYSINI", previous_);
    }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
};

// Opens an Oracle connection string; the number it raised.
long openOracle(Connection& cn) {
    return zxtest::raisedNumber([&] {
        cn.Open(
            QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;"));
    });
}

TEST(OracleConnectionTest, WithoutAnOracleDriverTheProviderErrorSaysSo) {
    const OdbcInstallList list("[FreeTDS]\nDriver=libtdsodbc.so\n");
    Connection cn;
    EXPECT_EQ(openOracle(cn), ado::err::ProviderFailure);
    ASSERT_EQ(cn.errors().Count(), 1);
    EXPECT_TRUE(cn.errors().Item(0).Description.contains(QStringLiteral("Oracle")));
    EXPECT_EQ(cn.errors().Item(0).SQLState, QStringLiteral("IM002"));
}

TEST(OracleConnectionTest, AConfiguredOracleDriverIsTheOneUsed) {
    const OdbcInstallList list("[Oracle 19 ODBC driver]\nDriver=/no/such/libsqora.so\n");
    EXPECT_EQ(ado::OdbcBackend::oracleDriver(), QStringLiteral("Oracle 19 ODBC driver"));
    Connection cn;
    EXPECT_EQ(openOracle(cn), ado::err::ProviderFailure);
    ASSERT_GE(cn.errors().Count(), 1);
    EXPECT_FALSE(cn.errors().Item(0).Description.contains(QStringLiteral("No Oracle")));
}

}  // namespace

#include "demo/demodata.h"
#include "platform/ado/ado.h"

#include "platform/ado/tsql/builder.h"
#include "tests/support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// The first column of each row of a query on a database file, as text.
QStringList values(const QString& file, const char* query) {
    QStringList out;
    sqlite3* db = tsql::openDatabase(file);
    if (!db) return {QStringLiteral("cannot open ") + file};
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            out.append(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
        }
    } else {
        out.append(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

class DemoDatabases : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(demo::createDatabases(dir.filePath("demo"), today, &error))
            << error.toStdString();
    }
    QString file(const char* name) const { return dir.filePath(QStringLiteral("demo/") + name); }

    QTemporaryDir dir;
    const QDate today{2024, 3, 5};
};

TEST_F(DemoDatabases, HoldAFewHundredErrorRowsOverUsersStationsDatesAndNumbers) {
    const QString main = file("DEMO.db");
    EXPECT_EQ(values(main, "SELECT COUNT(*) FROM AUX_ERR"),
              QStringList{QString::number(demo::errorRows)});
    EXPECT_GE(values(main, "SELECT DISTINCT Usuario FROM AUX_ERR").size(), 5);
    EXPECT_GE(values(main, "SELECT DISTINCT PC FROM AUX_ERR").size(), 5);
    EXPECT_GE(values(main, "SELECT DISTINCT Proceso FROM AUX_ERR").size(), 6);
    EXPECT_GE(values(main, "SELECT DISTINCT substr(fecha, 1, 7) FROM AUX_ERR").size(), 4);
    for (const char* number : {"2627", "547", "8152", "208"}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(
            values(main, (QByteArray("SELECT COUNT(*) > 0 FROM AUX_ERR WHERE Error = ") + number)
                             .constData()),
            QStringList{"1"});
    }
    // Dated within the four months before the day, in the log's order.
    EXPECT_EQ(values(main,
                     "SELECT MIN(fecha) >= '2023-11-07' AND MAX(fecha) < '2024-03-06' "
                     "FROM AUX_ERR"),
              QStringList{"1"});
    EXPECT_EQ(values(main,
                     "SELECT COUNT(*) FROM AUX_ERR a JOIN AUX_ERR b ON b.ID = a.ID + 1 "
                     "WHERE b.fecha < a.fecha"),
              QStringList{"0"});
    EXPECT_EQ(values(main, "SELECT MAX(length(Descripcion)) <= 250 FROM AUX_ERR"),
              QStringList{"1"});
}

TEST_F(DemoDatabases, HaveTheAdministratorTheCompanyAndTheStatisticsTimeOut) {
    EXPECT_EQ(
        values(file("DEMO.db"), "SELECT Administrador FROM TA_USUARIOS WHERE Nombre = 'DEMO'"),
        QStringList{"1"});
    EXPECT_EQ(values(file("DEMO.db"), "SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'nombre'"),
              QStringList{"Distribuidora Los Álamos S.R.L."});
    EXPECT_EQ(values(file("KQ_ESTADISTICAS.db"),
                     "SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'TimeOut'"),
              QStringList{"360"});
}

TEST_F(DemoDatabases, AreTheSameOnEveryRunForTheSameDay) {
    const QStringList first = values(file("DEMO.db"), "SELECT fecha || PC || sql FROM AUX_ERR");
    QString error;
    ASSERT_TRUE(demo::createDatabases(dir.filePath("demo"), today, &error));
    EXPECT_EQ(values(file("DEMO.db"), "SELECT fecha || PC || sql FROM AUX_ERR"), first);
    EXPECT_EQ(demo::connectionString(dir.filePath("demo")),
              QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=DEMO;UId=demo;Pwd=demo;")
                  .arg(dir.filePath("demo")));
    EXPECT_EQ(demo::commandLine(dir.filePath("demo")),
              QStringLiteral("@Server=sqlite:%1;@DbName=DEMO;@Usuario=demo;@Password=demo;")
                  .arg(dir.filePath("demo")));
}

// Both databases and the logins beside them belong to whoever made the demo alone.
TEST_F(DemoDatabases, AreReadableByTheirOwnerAlone) {
    for (const char* name :
         {"DEMO.db", "DEMO.login", "KQ_ESTADISTICAS.db", "KQ_ESTADISTICAS.login"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(QFileInfo::exists(file(name)));
        EXPECT_EQ(QFile::permissions(file(name)) &
                      (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                       QFile::WriteOther | QFile::ExeOther),
                  QFile::Permissions());
    }
}

// The statistics database lets in the login the program logs into it with, its own name as
// login and password, and no other: the main database's login among them.
TEST_F(DemoDatabases, TheStatisticsDatabaseLetsInOnlyTheLoginTheProgramGivesIt) {
    const QString nombre = QString::fromUtf8(demo::statisticsName);
    const QString base = QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;")
                             .arg(dir.filePath("demo"), nombre);
    ado::Connection propio;
    propio.Open(base + QStringLiteral("UId=%1;Pwd=%1;").arg(nombre));
    EXPECT_EQ(propio.State(), ado::adStateOpen);
    const QString ajenos[] = {"UId=demo;Pwd=demo;", "UId=sa;Pwd=x;",
                              "UId=KQ_ESTADISTICAS;Pwd=demo;"};
    for (const QString& login : ajenos) {
        SCOPED_TRACE(login.toStdString());
        ado::Connection otro;
        EXPECT_NE(zxtest::raisedNumber([&] { otro.Open(base + login); }), 0);
        ASSERT_EQ(otro.errors().Count(), 1);
        EXPECT_EQ(otro.errors().Item(0).NativeError, 18456);
    }
}

// The demo's main database lets in its own login and refuses another as SQL Server does.
TEST_F(DemoDatabases, LetInOnlyTheirOwnLogin) {
    const QString demoFolder = dir.filePath("demo");
    ado::Connection cn;
    cn.Open(demo::connectionString(demoFolder));
    EXPECT_EQ(cn.State(), ado::adStateOpen);
    cn.Close();
    const QString ajenos[] = {"UId=demo;Pwd=wrong;", "UId=sa;Pwd=demo;", "UId=demo;Pwd=;",
                              "UId=demo;Pwd=DEMO;"};
    for (const QString& login : ajenos) {
        SCOPED_TRACE(login.toStdString());
        const QString text = QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=DEMO;%2")
                                 .arg(demoFolder, login);
        ado::Connection otro;
        EXPECT_NE(zxtest::raisedNumber([&] { otro.Open(text); }), 0);
        ASSERT_EQ(otro.errors().Count(), 1);
        EXPECT_EQ(otro.errors().Item(0).NativeError, 18456);
        EXPECT_EQ(otro.errors().Item(0).SQLState, QStringLiteral("28000"));
        EXPECT_EQ(otro.State(), ado::adStateClosed);
    }
    // The login names the user without regard to case.
    ado::Connection mayusculas;
    mayusculas.Open(QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=DEMO;UId=DEMO;"
                                   "Pwd=demo;")
                        .arg(demoFolder));
    EXPECT_EQ(mayusculas.State(), ado::adStateOpen);
}

// The tool's command line: --help prints the usage, an unknown option is refused, and neither
// ever makes a folder named after it; "--" lets a folder start with "-".
TEST(DemoToolTest, OptionsAreNeverTakenForAFolder) {
    const struct {
        QStringList arguments;
        int status;
        const char* printed;  // on the standard output when the status is 0, else on the error
        const char* made;     // the one folder made, if any
    } cases[] = {
        {{"--help"}, 0, "usage: zentrik-demo-db [--] <folder>", nullptr},
        {{"-h"}, 0, "usage: zentrik-demo-db [--] <folder>", nullptr},
        {{"--bogus"}, 2, "zentrik-demo-db: unknown option '--bogus'", nullptr},
        {{"-x", "demo"}, 2, "zentrik-demo-db: unknown option '-x'", nullptr},
        {{}, 2, "usage: zentrik-demo-db [--] <folder>", nullptr},
        {{"uno", "dos"}, 2, "usage: zentrik-demo-db [--] <folder>", nullptr},
        {{"--", "-demo"}, 0, "Command line of zentrik", "-demo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QTemporaryDir cwd;
        QProcess tool;
        tool.setWorkingDirectory(cwd.path());
        tool.start(QStringLiteral(ZX_DEMO_TOOL), c.arguments);
        ASSERT_TRUE(tool.waitForFinished(120000));
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tool.exitCode(), c.status);
        const QString printed = QString::fromUtf8(c.status == 0 ? tool.readAllStandardOutput()
                                                                : tool.readAllStandardError());
        EXPECT_TRUE(printed.contains(QString::fromUtf8(c.printed))) << printed.toStdString();
        EXPECT_EQ(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  c.made ? QStringList{QString::fromUtf8(c.made)} : QStringList());
    }
}

}  // namespace

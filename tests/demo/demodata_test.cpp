#include "demo/demodata.h"
#include "platform/ado/ado.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/ado/tsql/builder.h"
#include "tests/demo/demo_files.h"
#include "tests/support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

namespace {

using demotest::exec;
using demotest::values;

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
    ASSERT_TRUE(demo::createDatabases(dir.filePath("otra"), today, &error));
    EXPECT_EQ(values(dir.filePath("otra/DEMO.db"), "SELECT fecha || PC || sql FROM AUX_ERR"),
              first);
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

// Rows the suite logged into a demo folder after it was made: two errors and an access in the
// main database, a setting in the statistics one.
void logSomeRows(const QString& folder) {
    ASSERT_EQ(exec(QDir(folder).filePath("DEMO.db"),
                   "INSERT INTO AUX_ERR (Proceso, Error, Usuario) VALUES ('Ventas', 1, 'ana');"
                   "INSERT INTO AUX_ERR (Proceso, Error, Usuario) VALUES ('Stock', 2, 'luis');"
                   "INSERT INTO Control_Acceso (Maquina, Usuario) VALUES ('CAJA09', 'ana');"),
              QString());
    ASSERT_EQ(exec(QDir(folder).filePath("KQ_ESTADISTICAS.db"),
                   "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('Propia', 'sí')"),
              QString());
}

QStringList loggedRows(const QString& folder) {
    return values(QDir(folder).filePath("DEMO.db"),
                  "SELECT Proceso || Error || Usuario FROM AUX_ERR WHERE Error < 10 UNION ALL "
                  "SELECT Maquina FROM Control_Acceso") +
           values(QDir(folder).filePath("KQ_ESTADISTICAS.db"),
                  "SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'Propia'");
}

const QStringList logged{"Ventas1ana", "Stock2luis", "CAJA09", "sí"};

// Made again on a folder that holds them, the demo databases are left as they are: the rows
// logged into them since stay. Only a plain request makes them anew, the old files set aside.
TEST_F(DemoDatabases, AreNeverMadeAgainOverTheOnesThereUnlessSetAside) {
    const QString folder = dir.filePath("demo");
    logSomeRows(folder);
    const demotest::Snapshot before = demotest::snapshot(folder);
    QString error;
    EXPECT_FALSE(demo::createDatabases(folder, today, &error));
    EXPECT_TRUE(error.contains("DEMO.db")) << error.toStdString();
    EXPECT_EQ(demotest::snapshot(folder), before);

    QStringList apart;
    ASSERT_TRUE(demo::createDatabases(folder, today, &error, demo::Existing::SetAside, &apart))
        << error.toStdString();
    EXPECT_EQ(values(file("DEMO.db"), "SELECT COUNT(*) FROM AUX_ERR"),
              QStringList{QString::number(demo::errorRows)});
    EXPECT_EQ(loggedRows(folder), QStringList());
    // The old pair, login files and all, sits beside the new under a name of its own, and
    // still opens as the database it was.
    ASSERT_EQ(apart.size(), 4);
    QStringList bases;
    for (const QString& name : QDir(folder).entryList({"*-anterior-*.db"}, QDir::Files))
        bases.append(QFileInfo(name).completeBaseName());
    ASSERT_EQ(bases.size(), 2);
    const QString oldMain = bases.filter("DEMO-").value(0);
    const QString oldStatistics = bases.filter("KQ_ESTADISTICAS-").value(0);
    EXPECT_EQ(demotest::refusal(folder, oldMain, "demo", "demo", "AUX_ERR"), QString());
    EXPECT_EQ(values(QDir(folder).filePath(oldMain + ".db"), "SELECT COUNT(*) FROM AUX_ERR"),
              QStringList{QString::number(demo::errorRows + 2)});
    EXPECT_EQ(values(QDir(folder).filePath(oldStatistics + ".db"),
                     "SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'Propia'"),
              QStringList{"sí"});
    EXPECT_EQ(before.value("DEMO.db").first,
              demotest::snapshot(folder).value(oldMain + ".db").first);
}

// The tool run again on the folder it made refuses and says why and what to do instead,
// whichever of the two databases is there; asked plainly it starts again, keeping the old
// files aside.
TEST(DemoToolTest, RunAgainOnItsFolderKeepsTheRowsLoggedSince) {
    const QString tool = QStringLiteral(ZX_DEMO_TOOL);
    QTemporaryDir dir;
    const QString folder = dir.filePath("demo");
    ASSERT_EQ(demotest::run(tool, {folder}).status, 0);
    logSomeRows(folder);
    ASSERT_EQ(loggedRows(folder), logged);
    const demotest::Snapshot before = demotest::snapshot(folder);
    for (const QStringList& arguments : {QStringList{folder}, QStringList{"--", folder}}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const demotest::Run again = demotest::run(tool, arguments);
        EXPECT_NE(again.status, 0);
        EXPECT_TRUE(again.err.contains("ya tiene la base de datos")) << again.err.toStdString();
        EXPECT_TRUE(again.err.contains("zentrik-login <carpeta> <base> <usuario>"));
        EXPECT_TRUE(again.err.contains("--reemplazar"));
        EXPECT_EQ(demotest::snapshot(folder), before);
    }
    // With only the statistics database there, the main one is not made either.
    QTemporaryDir other;
    ASSERT_TRUE(QFile::copy(QDir(folder).filePath("KQ_ESTADISTICAS.db"),
                            other.filePath("KQ_ESTADISTICAS.db")));
    const demotest::Run half = demotest::run(tool, {other.path()});
    EXPECT_NE(half.status, 0);
    EXPECT_TRUE(half.err.contains("KQ_ESTADISTICAS")) << half.err.toStdString();
    EXPECT_EQ(QDir(other.path()).entryList(QDir::Files), QStringList{"KQ_ESTADISTICAS.db"});

    const demotest::Run anew = demotest::run(tool, {"--reemplazar", folder});
    EXPECT_EQ(anew.status, 0) << anew.err.toStdString();
    EXPECT_TRUE(anew.out.contains("Command line of zentrik")) << anew.out.toStdString();
    EXPECT_EQ(loggedRows(folder), QStringList());
    EXPECT_EQ(demotest::refusal(folder, "DEMO", "demo", "demo", "AUX_ERR"), QString());
    const QStringList kept = QDir(folder).entryList({"*-anterior-*"}, QDir::Files);
    EXPECT_EQ(kept.size(), 4) << kept.join(u' ').toStdString();
    for (const QString& name : kept) EXPECT_TRUE(anew.out.contains(name)) << name.toStdString();
}

// A demo folder the program cannot open as it is (a login of an older build, a lost login
// file, a database others may read, a file that is no database, one missing): the check says
// which database and why and changes nothing; the repair makes each open with the login the
// program gives it, keeping the rows of every database that holds them.
TEST(DemoToolTest, ChecksAndRepairsTheLoginsTheProgramOpensTheDatabasesWith) {
    const QString tool = QStringLiteral(ZX_DEMO_TOOL);
    const struct {
        const char* name;
        std::function<void(const QDir&)> spoil;
        const char* named;  // the database the check names
        bool mainRowsKept;
    } cases[] = {
        {"statistics login of an older build",
         [](const QDir& d) {
             ASSERT_TRUE(
                 ado::recordEmbeddedLogin(d.filePath("KQ_ESTADISTICAS.db"), "demo", "demo"));
         },
         "KQ_ESTADISTICAS", true},
        {"main login file lost",
         [](const QDir& d) { ASSERT_TRUE(QFile::remove(d.filePath("DEMO.login"))); }, "DEMO",
         true},
        {"statistics readable by others",
         [](const QDir& d) {
             ASSERT_TRUE(QFile::setPermissions(
                 d.filePath("KQ_ESTADISTICAS.db"),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
         },
         "KQ_ESTADISTICAS", true},
        {"main database no database",
         [](const QDir& d) {
             QFile f(d.filePath("DEMO.db"));
             ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
             f.write("no soy una base de datos\n");
         },
         "DEMO", false},
        {"main database missing",
         [](const QDir& d) {
             ASSERT_TRUE(QFile::remove(d.filePath("DEMO.db")));
             ASSERT_TRUE(QFile::remove(d.filePath("DEMO.login")));
         },
         "DEMO", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString folder = dir.filePath("demo");
        ASSERT_EQ(demotest::run(tool, {folder}).status, 0);
        logSomeRows(folder);
        EXPECT_EQ(demotest::run(tool, {"--comprobar", folder}).status, 0);
        c.spoil(QDir(folder));
        const demotest::Snapshot spoilt = demotest::snapshot(folder);
        const demotest::Run check = demotest::run(tool, {"--comprobar", folder});
        EXPECT_NE(check.status, 0);
        EXPECT_TRUE(check.err.contains(QString::fromUtf8(c.named))) << check.err.toStdString();
        EXPECT_EQ(demotest::snapshot(folder), spoilt);

        const demotest::Run repair = demotest::run(tool, {"--reparar", folder});
        EXPECT_EQ(repair.status, 0) << repair.err.toStdString();
        EXPECT_EQ(demotest::run(tool, {"--comprobar", folder}).status, 0);
        EXPECT_EQ(demotest::refusal(folder, "DEMO", "demo", "demo", "AUX_ERR"), QString());
        EXPECT_EQ(demotest::refusal(folder, "KQ_ESTADISTICAS", "KQ_ESTADISTICAS",
                                    "KQ_ESTADISTICAS", "TA_CONFIGURACION"),
                  QString());
        EXPECT_EQ(loggedRows(folder), c.mainRowsKept ? logged : QStringList{"sí"});
        // The login the older build gave is gone: the program's is the only one.
        EXPECT_NE(demotest::refusal(folder, "KQ_ESTADISTICAS", "demo", "demo", "TA_CONFIGURACION"),
                  QString());
    }
    // A folder that is not there is made whole.
    QTemporaryDir dir;
    const QString folder = dir.filePath("nueva");
    EXPECT_NE(demotest::run(tool, {"--comprobar", folder}).status, 0);
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_EQ(demotest::run(tool, {"--reparar", folder}).status, 0);
    EXPECT_EQ(values(QDir(folder).filePath("DEMO.db"), "SELECT COUNT(*) FROM AUX_ERR"),
              QStringList{QString::number(demo::errorRows)});
    EXPECT_EQ(demotest::run(tool, {"--comprobar", folder}).status, 0);
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

#include "demo/demodata.h"

#include "demo/logins.h"
#include "platform/ado/ado.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/ado/tsql/builder.h"
#include "platform/vb/datetime.h"
#include "platform/vb/vberror.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QList>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <random>

namespace demo {

namespace {

struct User {
    const char* name;
    const char* station;  // the computer and Windows user it usually works from
};

const User users[] = {
    {"ana", "CAJA01|VENDEDOR"},  {"luis", "CAJA02|VENDEDOR"},
    {"marta", "DEPOSITO|STOCK"}, {"jorge", "ADMINISTRACION|CONTABLE"},
    {"sofia", "GERENCIA|SOFIA"}, {"demo", "SERVIDOR|ADMINISTRADOR"},
};

// One kind of failure the suite's programs log: who meets it, what the server said and the
// script that was run. %1..%4 are filled with codes and amounts of the day.
struct Incident {
    int weight;
    int number;
    const char* process;
    const char* description;
    const char* sql;
};

const Incident incidents[] = {
    {14, 2627, "Ventas",
     "Infracción de la restricción PRIMARY KEY 'PK_MV_CPTE'. No se puede insertar una clave "
     "duplicada en el objeto 'dbo.MV_CPTE'. El valor de la clave duplicada es (FC, 0001%1A, 0).",
     "BEGIN TRANSACTION \r\r\rINSERT INTO MV_CPTE (TC,IDCOMPROBANTE,IDCOMPLEMENTO,CUENTA,IMPORTE) "
     "VALUES ('FC','0001%1A',0,'%2',%3)\r"},
    {10, 2627, "PuntoDeVenta",
     "Infracción de la restricción PRIMARY KEY 'PK_MV_CPTEINSUMOS'. No se puede insertar una "
     "clave duplicada en el objeto 'dbo.MV_CPTEINSUMOS'.",
     "BEGIN TRANSACTION \r\r\rINSERT INTO MV_CPTEINSUMOS (TC,IDCOMPROBANTE,IDARTICULO,CANTIDAD) "
     "VALUES ('TK','0002%1B','%4',1)\r"},
    {12, 547, "Compras",
     "Instrucción INSERT en conflicto con la restricción FOREIGN KEY "
     "\"FK_MV_CPTEINSUMOS_MA_ARTICULOS\". El conflicto ha aparecido en la base de datos \"DEMO\", "
     "tabla \"dbo.MA_ARTICULOS\", column 'IDARTICULO'.",
     "BEGIN TRANSACTION \r\r\rINSERT INTO MV_CPTEINSUMOS (TC,IDCOMPROBANTE,IDARTICULO,CANTIDAD) "
     "VALUES ('FCC','0003%1A','%4',%3)\r"},
    {6, 547, "Stock",
     "Instrucción DELETE en conflicto con la restricción REFERENCE "
     "\"FK_MV_CPTEINSUMOS_MA_ARTICULOS\". El conflicto ha aparecido en la base de datos \"DEMO\", "
     "tabla \"dbo.MV_CPTEINSUMOS\", column 'IDARTICULO'.",
     "BEGIN TRANSACTION \r\r\rDELETE FROM MA_ARTICULOS WHERE IDARTICULO = '%4'\r"},
    {11, 8152, "Clientes", "Los datos de cadena o binarios se truncarían.",
     "BEGIN TRANSACTION \r\r\rUPDATE MA_CLIENTES SET DOMICILIO = 'Bv. Oroño 1234 piso 5 depto B "
     "entre Córdoba y Santa Fe, barrio Centro' WHERE CODIGO = '%2'\r"},
    {7, 8152, "Cobranzas", "Los datos de cadena o binarios se truncarían.",
     "BEGIN TRANSACTION \r\r\rINSERT INTO MV_ASIENTOS (TC,SUCURSAL,NUMERO,LETRA,CUENTA,DETALLE) "
     "VALUES ('CB','0001','%1','X','1.1.1','Cobranza cliente %2 según recibo manual sin "
     "número')\r"},
    {6, 208, "Contabilidad", "El nombre de objeto 'TA_PERIODOS_CERRADOS' no es válido.",
     "SELECT * FROM TA_PERIODOS_CERRADOS WHERE PERIODO = 2024"},
    {4, 208, "Informes", "El nombre de objeto 'dbo.V_MV_VENTAS_RUBRO' no es válido.",
     "SELECT IDRUBRO, SUM(IMPORTE) AS TOTAL FROM dbo.V_MV_VENTAS_RUBRO GROUP BY IDRUBRO"},
    {4, 1205, "Tesoreria",
     "La transacción (Id. de proceso 57) quedó en interbloqueo en bloquear recursos con otro "
     "proceso y fue elegida como sujeto del interbloqueo. Ejecute de nuevo la transacción.",
     "BEGIN TRANSACTION \r\r\rUPDATE MA_CUENTAS SET SALDO = SALDO - %3 WHERE CODIGO = '1.1.1'\r"},
    {4, 245, "Cobranzas",
     "Error de conversión al convertir el valor varchar '0001-%1' al tipo de datos int.",
     "SELECT * FROM MV_APLICACION WHERE NUMERO_ORIGEN = '0001-%1' AND IMPORTE > 0"},
    {3, 515, "Compras",
     "No se puede insertar el valor NULL en la columna 'CODIGO', tabla 'DEMO.dbo.MA_PROVEEDORES'. "
     "La columna no admite valores NULL. Error de INSERT.",
     "BEGIN TRANSACTION \r\r\rINSERT INTO MA_PROVEEDORES (CODIGO,RAZON_SOCIAL) VALUES "
     "(NULL,'Insumos del Litoral S.A.')\r"},
    {3, 2601, "Clientes",
     "No se puede insertar una fila de clave duplicada en el objeto 'dbo.MA_CLIENTES' con índice "
     "único 'IX_MA_CLIENTES_CUIT'. El valor de la clave duplicada es (20-2%1-3).",
     "BEGIN TRANSACTION \r\r\rINSERT INTO MA_CLIENTES (CODIGO,RAZON_SOCIAL,CUIT) VALUES "
     "('%2','Consumidor final','20-2%1-3')\r"},
    {2, 207, "Informes", "El nombre de columna 'RAZONSOCIAL' no es válido.",
     "SELECT CODIGO, RAZONSOCIAL FROM VT_CLIENTES WHERE Dada_De_Baja = 0"},
};

struct ErrorRow {
    vb::DateTime when;
    const Incident* incident;
    const User* user;
    QString station;
    QString description;
    QString sql;
};

// Deterministic picks, so every run for the same day makes the same demo.
class Picker {
public:
    explicit Picker(unsigned seed) : engine_(seed) {}
    int below(int n) { return static_cast<int>(engine_() % static_cast<unsigned>(n)); }
    const Incident& incident() {
        int total = 0;
        for (const Incident& i : incidents) total += i.weight;
        int pick = below(total);
        for (const Incident& i : incidents) {
            if (pick < i.weight) return i;
            pick -= i.weight;
        }
        return incidents[0];
    }

private:
    std::mt19937 engine_;
};

QList<ErrorRow> errorRowsBefore(const QDate& today) {
    Picker pick(20240305u);
    QList<ErrorRow> rows;
    for (int n = 0; n < errorRows; ++n) {
        ErrorRow r;
        r.incident = &pick.incident();
        r.user = &users[pick.below(std::size(users))];
        // Mostly from the user's own desk, now and then from another one.
        r.station = QString::fromUtf8(
            pick.below(100) < 85 ? r.user->station : users[pick.below(std::size(users))].station);
        const QDate day = today.addDays(-pick.below(120));
        r.when = vb::wallClock(day, QTime(8, 0).addSecs(60 * pick.below(12 * 60)));
        const QString voucher =
            QStringLiteral("%1").arg(pick.below(99999) + 1, 8, 10, QLatin1Char('0'));
        const QString customer = QStringLiteral("C%1").arg(pick.below(9000) + 1000);
        const QString amount = QString::number((pick.below(2000000) + 100) / 100.0, 'f', 2);
        const QString article =
            QStringLiteral("A%1").arg(pick.below(9999) + 1, 4, 10, QLatin1Char('0'));
        const auto fill = [&](const char* text) {
            return QString::fromUtf8(text)
                .replace(QStringLiteral("%1"), voucher)
                .replace(QStringLiteral("%2"), customer)
                .replace(QStringLiteral("%3"), amount)
                .replace(QStringLiteral("%4"), article);
        };
        r.description = fill(r.incident->description).left(250);
        r.sql = fill(r.incident->sql);
        rows.append(r);
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ErrorRow& a, const ErrorRow& b) { return a.when < b.when; });
    return rows;
}

bool insertErrorRows(sqlite3* db, const QDate& today, QString* error) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, "
                           "Usuario) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                           -1, &stmt, nullptr) != SQLITE_OK) {
        if (error) *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    bool ok = true;
    for (const ErrorRow& r : errorRowsBefore(today)) {
        const QByteArray texts[] = {
            QByteArray(r.incident->process),
            r.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8(),
            r.description.toUtf8(),
            r.sql.toUtf8(),
            r.station.toUtf8(),
            QByteArray(r.user->name),
        };
        const int columns[] = {1, 2, 4, 5, 6, 7};
        for (int i = 0; i < 6; ++i) {
            sqlite3_bind_text(stmt, columns[i], texts[i].constData(),
                              static_cast<int>(texts[i].size()), SQLITE_TRANSIENT);
        }
        sqlite3_bind_int(stmt, 3, r.incident->number);
        ok = sqlite3_step(stmt) == SQLITE_DONE && sqlite3_reset(stmt) == SQLITE_OK;
        if (!ok) {
            if (error) *error = QString::fromUtf8(sqlite3_errmsg(db));
            break;
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
    return ok;
}

bool build(const QString& file, const QString& schema, const QString& data, QString* error) {
    if (!tsql::buildDatabase(file, schema, error)) return false;
    // The demo's users and their settings are the owner's alone, as a server's files are.
    if (!QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner)) {
        if (error) *error = QStringLiteral("%1: cannot make it private").arg(file);
        return false;
    }
    QFile script(data);
    if (!script.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("%1: %2").arg(data, script.errorString());
        return false;
    }
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(tsql::openDatabase(file, error), sqlite3_close);
    return db && tsql::runScript(db.get(), QString::fromUtf8(script.readAll()), error);
}

// A demo database: how it is made, the login the program opens it with, and a table the
// program reads in it.
struct DemoDatabase {
    const char* name;
    const char* schema;
    const char* data;
    const char* user;
    const char* password;
    const char* table;
    bool errorRows;  // holds the error log's rows
};

// The statistics database lets in only the login the program opens it with, its own name as
// login and password; the main one only the login of connectionString().
const DemoDatabase databases[] = {
    {mainName, ":/schema/main.sql", ":/demo/demo.sql", "demo", "demo", "AUX_ERR", true},
    {statisticsName, ":/schema/statistics.sql", ":/demo/demo_statistics.sql", statisticsName,
     statisticsName, "TA_CONFIGURACION", false},
};

QString fileOf(const QDir& dir, const DemoDatabase& d) {
    return dir.filePath(QString::fromUtf8(d.name) + QStringLiteral(".db"));
}

bool make(const QDir& dir, const DemoDatabase& d, const QDate& today, QString* error) {
    const QString file = fileOf(dir, d);
    if (!build(file, QString::fromUtf8(d.schema), QString::fromUtf8(d.data), error)) return false;
    if (d.errorRows) {
        std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(tsql::openDatabase(file, error),
                                                       sqlite3_close);
        if (!db || !insertErrorRows(db.get(), today, error)) return false;
    }
    return ado::recordEmbeddedLogin(file, QString::fromUtf8(d.user), QString::fromUtf8(d.password),
                                    error);
}

// The files of a database: itself, its login file and SQLite's journals beside it.
const char* const companions[] = {".db", ".login", ".db-journal", ".db-wal", ".db-shm"};

// Renames every file of `d` "<name>-anterior-<stamp>", numbered when that name is taken, so
// that it still opens as a database of that name. All of them or, on failure, none.
bool setAside(const QDir& dir, const DemoDatabase& d, QStringList* moved, QString* error) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString name = QString::fromUtf8(d.name);
    QString aside = name + QStringLiteral("-anterior-") + stamp;
    const auto taken = [&](const QString& base) {
        for (const char* ext : companions) {
            if (QFileInfo::exists(dir.filePath(base + QLatin1String(ext)))) return true;
        }
        return false;
    };
    for (int n = 2; taken(aside); ++n)
        aside = name + QStringLiteral("-anterior-%1-%2").arg(stamp).arg(n);
    QList<QPair<QString, QString>> done;
    for (const char* ext : companions) {
        const QString from = dir.filePath(name + QLatin1String(ext));
        const QString to = dir.filePath(aside + QLatin1String(ext));
        if (!QFileInfo::exists(from)) continue;
        if (!QFile::rename(from, to)) {
            for (const auto& [was, is] : done) QFile::rename(is, was);
            if (error)
                *error = QStringLiteral("No se pudo guardar aparte %1 como %2.").arg(from, to);
            return false;
        }
        done.append({from, to});
    }
    for (const auto& pair : done) moved->append(pair.second);
    return true;
}

// Why the program cannot read `d` with its login; empty when it can.
QString refusal(const QDir& dir, const DemoDatabase& d) {
    const QString file = fileOf(dir, d);
    if (!QFileInfo(file).isFile())
        return QStringLiteral("La base de datos %1 no existe (%2).")
            .arg(QLatin1String(d.name), file);
    try {
        ado::Connection cn;
        cn.Open(QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;UId=%3;Pwd=%4;")
                    .arg(dir.absolutePath(), QLatin1String(d.name), QString::fromUtf8(d.user),
                         QString::fromUtf8(d.password)));
        cn.Execute(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(d.table));
        cn.Close();
        return {};
    } catch (const vb::VbError& e) {
        return QStringLiteral(
                   "La base de datos %1 (%2) no abre con el ingreso %3 / %4 que le da "
                   "el programa: %5")
            .arg(QLatin1String(d.name), file, QString::fromUtf8(d.user),
                 QString::fromUtf8(d.password), e.Description);
    }
}

// Whether the file is an SQLite database with the table the program reads in `d`.
bool holdsItsTable(const QString& file, const DemoDatabase& d) {
    sqlite3* db = nullptr;
    bool holds = sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
                 SQLITE_OK;
    sqlite3_stmt* stmt = nullptr;
    const QByteArray query = QByteArrayLiteral("SELECT 1 FROM ") + d.table + " LIMIT 1";
    holds = holds && sqlite3_prepare_v2(db, query.constData(), -1, &stmt, nullptr) == SQLITE_OK;
    const int step = holds ? sqlite3_step(stmt) : SQLITE_ERROR;
    holds = step == SQLITE_ROW || step == SQLITE_DONE;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return holds;
}

}  // namespace

bool createDatabases(const QString& folder, const QDate& today, QString* error, Existing existing,
                     QStringList* setAsideFiles) {
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("%1: cannot create the folder").arg(folder);
        return false;
    }
    const QDir dir(folder);
    QStringList there;
    for (const DemoDatabase& d : databases) {
        if (QFileInfo::exists(fileOf(dir, d))) there.append(fileOf(dir, d));
    }
    if (!there.isEmpty() && existing == Existing::Refuse) {
        if (error) {
            *error = QStringLiteral(
                         "La carpeta %1 ya tiene la base de datos %2: no se reemplaza, para no "
                         "perder sus datos. Para entrar en una base de datos que no admite su "
                         "usuario, use zentrik-login <carpeta> <base> <usuario>; para hacer la "
                         "demostración de nuevo, con los archivos actuales guardados aparte, use "
                         "zentrik-demo-db --reemplazar <carpeta>.")
                         .arg(folder, there.join(QStringLiteral(" y la base de datos ")));
        }
        return false;
    }
    QStringList moved;
    for (const DemoDatabase& d : databases) {
        if (!setAside(dir, d, &moved, error)) return false;
    }
    if (setAsideFiles) *setAsideFiles = moved;
    for (const DemoDatabase& d : databases) {
        if (!make(dir, d, today, error)) return false;
    }
    return true;
}

QStringList checkDatabases(const QString& folder) {
    QStringList problems;
    for (const DemoDatabase& d : databases) {
        const QString why = refusal(QDir(folder), d);
        if (!why.isEmpty()) problems.append(why);
    }
    return problems;
}

bool repairDatabases(const QString& folder, const QDate& today, QStringList* done,
                     QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("No se pudo crear la carpeta %1.").arg(folder);
        return false;
    }
    const QDir dir(folder);
    for (const DemoDatabase& d : databases) {
        const QString name = QString::fromUtf8(d.name);
        const QString file = fileOf(dir, d);
        if (!QFileInfo::exists(file)) {
            if (!make(dir, d, today, error)) return false;
            done->append(QStringLiteral("Se hizo la base de datos %1 (%2).").arg(name, file));
            continue;
        }
        const QString why = refusal(dir, d);
        if (why.isEmpty()) {
            done->append(QStringLiteral("La base de datos %1 abre con el ingreso del programa; "
                                        "queda como está.")
                             .arg(name));
            continue;
        }
        // Its rows stay when only the login keeps the program out.
        if (holdsItsTable(file, d) &&
            logins::giveLogin(file, QString::fromUtf8(d.user), QString::fromUtf8(d.password),
                              false, nullptr) &&
            refusal(dir, d).isEmpty()) {
            done->append(QStringLiteral("%1 Se le dio ese ingreso; sus datos quedan.").arg(why));
            continue;
        }
        QStringList moved;
        if (!setAside(dir, d, &moved, error) || !make(dir, d, today, error)) return false;
        done->append(QStringLiteral("%1 No es una base de datos de la demostración: se guardó "
                                    "aparte (%2) y se hizo de nuevo.")
                         .arg(why, moved.join(QStringLiteral(", "))));
    }
    return true;
}

QString connectionString(const QString& folder) {
    return QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;UId=demo;Pwd=demo;")
        .arg(QDir(folder).absolutePath(), QString::fromUtf8(mainName));
}

QString commandLine(const QString& folder) {
    return QStringLiteral("@Server=sqlite:%1;@DbName=%2;@Usuario=demo;@Password=demo;")
        .arg(QDir(folder).absolutePath(), QString::fromUtf8(mainName));
}

QString report(const QString& folder) {
    // Single quotes keep blanks and ";" of the folder inside the one argument.
    QString quoted = commandLine(folder);
    quoted.replace(u'\'', QLatin1String("'\\''"));
    return QStringLiteral(
               "Command line of zentrik (its only argument):\n  '%1'\n"
               "Connection string (ADO):\n  %2\n")
        .arg(quoted, connectionString(folder));
}

}  // namespace demo

// A range query over a million AUX_ERR rows through the database layer, against the same
// query run through the sqlite3 C API on the same file. Both read every column of every row:
// the layer through a recordset, which holds the rows, and through ExecuteEach, which hands
// them on one at a time. And the inserts of the error table with each value checked against
// its column's type, against the same inserts without the checks.
// The C API side runs twice: opened as the layer's driver opens its connections (one thread,
// no locking on every call), and opened with the library's defaults (a lock on every call).
#include "bench/error_log_database.h"
#include "bench/ratios.h"
#include "platform/ado/ado.h"
#include "platform/ado/tsql/functions.h"
#include "platform/ado/tsql/translator.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace {

// The report's kind of query: one month of errors (about a twenty-fourth of the rows).
const char* const kMonth =
    "SELECT * FROM AUX_ERR WHERE fecha >= '2025-03-01' AND fecha < '2025-04-01' ORDER BY fecha";
// As many rows found through the table's key instead of a scan.
const char* const kIdRange = "SELECT * FROM AUX_ERR WHERE ID >= 100000 AND ID < 142514";

const QString kDatabase = QStringLiteral("BENCH");

// Errors of forty processes over two years, seven error numbers in turn.
void ensureDatabase() {
    zxbench::ensureErrorLog(
        kDatabase, 1,
        QStringLiteral(
            "'Proceso' || (i % 40), "
            "datetime('2024-01-01', '+' || ((i * 63) % 63072000) || ' seconds'), "
            "(i % 7) * 1000 + 208, 'Descripcion del error numero ' || i, "
            "'INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES (''K' || i || ''', ''V'')', "
            "'CAJA' || (i % 30) || '|VENDEDOR', 'usuario' || (i % 20)"));
}

// The layer's connection to the benchmark database, opened as the program opens its own.
void openLayer(ado::Connection& cn) {
    cn.setCursorLocation(ado::adUseClient);
    cn.Open(QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=BENCH;UId=sa;Pwd=;")
                .arg(zxbench::folder()));
}

void layerRangeQuery(benchmark::State& state, const char* query) {
    ado::Connection cn;
    openLayer(cn);
    long rows = 0;
    for (auto _ : state) {
        ado::Recordset rs;
        rs.Open(QString::fromUtf8(query), cn);
        rows = zxbench::readEveryValue(rs);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void layerEachRow(benchmark::State& state, const char* query) {
    ado::Connection cn;
    openLayer(cn);
    long rows = 0;
    for (auto _ : state) {
        rows = 0;
        cn.ExecuteEach(QString::fromUtf8(query), {}, [&rows](const ado::Row& row) {
            for (long c = 0; c < row.count(); ++c) benchmark::DoNotOptimize(row.value(c));
            ++rows;
        });
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void sqliteRangeQuery(benchmark::State& state, const char* query, int openFlags) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(zxbench::databaseFile(kDatabase).toUtf8().constData(), &db,
                    SQLITE_OPEN_READWRITE | openFlags, nullptr);
    tsql::registerFunctions(db);
    // The same text SQLite runs for the layer.
    const QByteArray sql = tsql::Translator(tsql::columnsIn(db), tsql::readingOrderIn(db))
                               .translate(QString::fromUtf8(query))
                               .toUtf8();
    long rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
        const int n = sqlite3_column_count(stmt);
        rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int i = 0; i < n; ++i) {
                switch (sqlite3_column_type(stmt, i)) {
                    case SQLITE_INTEGER:
                        benchmark::DoNotOptimize(sqlite3_column_int64(stmt, i));
                        break;
                    case SQLITE_FLOAT:
                        benchmark::DoNotOptimize(sqlite3_column_double(stmt, i));
                        break;
                    case SQLITE_NULL:
                        break;
                    default:
                        benchmark::DoNotOptimize(sqlite3_column_text(stmt, i));
                        benchmark::DoNotOptimize(sqlite3_column_bytes(stmt, i));
                }
            }
            ++rows;
        }
        sqlite3_finalize(stmt);
    }
    state.counters["rows"] = static_cast<double>(rows);
    sqlite3_close(db);
}

// The error table's insert as the program sends it, its values bound.
const char* const kInsert =
    "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) "
    "VALUES (?, ?, ?, ?, ?, ?, ?)";
// The text SQLite ran for it before each value went through its column's type.
const char* const kInsertUnchecked =
    "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, Usuario) "
    "VALUES (?1, tsql_datetime(?2), ?3, ?4, ?5, ?6, ?7)";
constexpr int kInsertedRows = 20000;

// That insert of many rows through the sqlite3 C API, one prepared statement, in a transaction
// rolled back, so the table stays as it was: the text the translator makes of it, or the one
// it made before values were checked.
void sqliteInserts(benchmark::State& state, bool checked) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(zxbench::databaseFile(kDatabase).toUtf8().constData(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    tsql::registerFunctions(db);
    const QByteArray sql =
        checked
            ? tsql::Translator(tsql::columnsIn(db)).translate(QString::fromUtf8(kInsert)).toUtf8()
            : QByteArray(kInsertUnchecked);
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
        for (int i = 0; i < kInsertedRows; ++i) {
            const QByteArray proceso = "Proceso" + QByteArray::number(i % 40);
            const QByteArray descripcion = "Descripcion del error numero " + QByteArray::number(i);
            sqlite3_bind_text(stmt, 1, proceso.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 2, "2026-03-29 10:30:15", -1, SQLITE_STATIC);
            sqlite3_bind_int(stmt, 3, 208 + i % 7);
            sqlite3_bind_text(stmt, 4, descripcion.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 5, "INSERT INTO TA_CONFIGURACION (CLAVE) VALUES ('K')", -1,
                              SQLITE_STATIC);
            sqlite3_bind_text(stmt, 6, "CAJA1|VENDEDOR", -1, SQLITE_STATIC);
            sqlite3_bind_text(stmt, 7, "usuario1", -1, SQLITE_STATIC);
            sqlite3_step(stmt);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    state.counters["rows"] = kInsertedRows;
    sqlite3_close(db);
}

// Each side over each query, seven repetitions (their median is compared).
void registerBenchmarks() {
    using Side = void (*)(benchmark::State&, const char*);
    const std::pair<const char*, Side> sides[] = {
        {"sqliteUnlocked",
         [](benchmark::State& s, const char* q) { sqliteRangeQuery(s, q, SQLITE_OPEN_NOMUTEX); }},
        {"sqliteDefaults", [](benchmark::State& s, const char* q) { sqliteRangeQuery(s, q, 0); }},
        {"layerRangeQuery", layerRangeQuery},
        {"layerEachRow", layerEachRow},
    };
    const std::pair<const char*, const char*> queries[] = {{"month", kMonth},
                                                           {"idRange", kIdRange}};
    for (const auto& [name, checked] :
         {std::pair{"sqliteInsertChecked", true}, std::pair{"sqliteInsertUnchecked", false}}) {
        benchmark::RegisterBenchmark(name, sqliteInserts, checked)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true);
    }
    for (const auto& [query, sql] : queries) {
        for (const auto& [side, run] : sides) {
            benchmark::RegisterBenchmark((std::string(side) + "/" + query).c_str(), run, sql)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(7)
                ->ReportAggregatesOnly(true);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The zone the tests run in, as the test main sets it.
    setenv("TZ", "America/Argentina/Buenos_Aires", 0);
    tzset();
    QCoreApplication app(argc, argv);
    ensureDatabase();
    registerBenchmarks();
    zxbench::initializeInterleaved(argc, argv);
    zxbench::runWithRatios({
        {"layerRangeQuery/month/repeats:7", "sqliteUnlocked/month/repeats:7", 1.3},
        {"layerRangeQuery/idRange/repeats:7", "sqliteUnlocked/idRange/repeats:7", 1.3},
        {"layerRangeQuery/month/repeats:7", "sqliteDefaults/month/repeats:7", 1.3},
        {"layerRangeQuery/idRange/repeats:7", "sqliteDefaults/idRange/repeats:7", 1.3},
        {"layerEachRow/month/repeats:7", "sqliteUnlocked/month/repeats:7", 1.3},
        {"layerEachRow/idRange/repeats:7", "sqliteUnlocked/idRange/repeats:7", 1.3},
        {"sqliteInsertChecked/repeats:7", "sqliteInsertUnchecked/repeats:7", 1.2},
    });
    benchmark::Shutdown();
    return 0;
}

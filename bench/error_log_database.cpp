#include "bench/error_log_database.h"

#include "platform/ado/ado.h"
#include "platform/ado/sqlitebackend.h"
#include "platform/ado/tsql/builder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace zxbench {

namespace {

constexpr int kRows = 1000000;

void build(const QString& file, const QString& table, const QString& columns, int first, int last,
           const QString& values) {
    QDir().mkpath(folder());
    // Built aside and renamed when whole, so that a run cut short builds it again.
    const QString partial = file + QStringLiteral(".part");
    QString error;
    if (!tsql::buildDatabase(partial, QStringLiteral(ZX_SOURCE_DIR "/schema/main.sql"), &error)) {
        std::fprintf(stderr, "schema: %s\n", qPrintable(error));
        std::exit(1);
    }
    sqlite3* db = tsql::openDatabase(partial, &error);
    const QByteArray fill =
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
            "INSERT INTO %3 (%4) SELECT %5 FROM n")
            .arg(first)
            .arg(last)
            .arg(table, columns, values)
            .toUtf8();
    char* message = nullptr;
    if (sqlite3_exec(db, fill.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "rows: %s\n", message);
        std::exit(1);
    }
    sqlite3_close(db);
    QFile::rename(partial, file);
}

}  // namespace

QString folder() {
    const QByteArray env = qgetenv("ZX_BENCH_DIR");
    return env.isEmpty() ? QDir::temp().filePath(QStringLiteral("zentrik-bench"))
                         : QString::fromLocal8Bit(env);
}

QString databaseFile(const QString& name) {
    return QDir(folder()).filePath(name + QStringLiteral(".db"));
}

void ensureErrorLog(const QString& name, int first, const QString& values) {
    ensureRows(name, QStringLiteral("AUX_ERR"),
               QStringLiteral("Proceso, fecha, Error, Descripcion, sql, PC, Usuario"), first,
               first + kRows - 1, values);
}

void ensureRows(const QString& name, const QString& table, const QString& columns, int first,
                int last, const QString& values) {
    const QString file = databaseFile(name);
    if (!QFileInfo::exists(file)) build(file, table, columns, first, last, values);
    // The benchmarks' login, also on a database kept from before the engine asked for one.
    QString error;
    if (!QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner) ||
        !ado::recordEmbeddedLogin(file, QStringLiteral("sa"), QString(), &error)) {
        std::fprintf(stderr, "login: %s %s\n", qPrintable(file), qPrintable(error));
        std::exit(1);
    }
}

long readEveryValue(ado::Recordset& rs) {
    const long fields = rs.FieldCount();
    long rows = 0;
    while (!rs.Eof()) {
        for (long i = 0; i < fields; ++i) benchmark::DoNotOptimize(rs.Fields(i).Value());
        rs.MoveNext();
        ++rows;
    }
    rs.Close();
    return rows;
}

namespace {

// The same numbers for the same i on every run.
std::uint64_t mixed(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// Draws of a row: each call the next number below `n`.
class Draws {
public:
    explicit Draws(std::uint64_t row) : state_(mixed(row)) {}
    int below(int n) {
        state_ = mixed(state_);
        return static_cast<int>(state_ % static_cast<std::uint64_t>(n));
    }

private:
    std::uint64_t state_;
};

const char* const kProcesses[] = {
    "GrabaComprobante",    "ActualizaStock",   "GeneraAuxiliarComprobantes",
    "ImprimirComprobante", "GrabaRecibo",      "AnulaComprobante",
    "CalculaPercepciones", "GrabaAsiento",     "ActualizaPrecios",
    "ImportaPadron",       "GeneraCAE",        "EnviaMail",
    "CierreCaja",          "GrabaRemito",      "ActualizaCtaCte",
    "GrabaPedido",         "ExportaLibroIVA",  "GrabaOrdenPago",
    "RecalculaSaldos",     "ConsultaArticulos"};
const char* const kWords[] = {
    "no",          "se",       "pudo",        "grabar",       "el",          "comprobante",
    "la",          "cuenta",   "del",         "cliente",      "porque",      "saldo",
    "supera",      "límite",   "de",          "crédito",      "asignado",    "por",
    "error",       "en",       "conexión",    "con",          "servidor",    "base",
    "datos",       "artículo", "sin",         "stock",        "disponible",  "depósito",
    "central",     "fecha",    "vencimiento", "anterior",     "al",          "día",
    "hoy",         "punto",    "venta",       "inhabilitado", "para",        "facturación",
    "electrónica", "clave",    "duplicada",   "tabla",        "movimientos", "valor",
    "nulo",        "columna",  "importe",     "lista",        "precios",     "vigente",
    "usuario",     "tiene",    "permiso",     "operación",    "tiempo",      "espera",
    "agotado",     "consulta", "bloqueo",     "transacción",  "revertida",   "reintente",
    "más",         "tarde",    "verifique",   "los",          "ingresados",  "número",
    "inválido",    "código",   "proveedor",   "inexistente",  "asiento",     "descuadrado",
    "diferencia",  "centavos", "cotización",  "moneda",       "extranjera",  "registrada"};
const char* const kTables[] = {"MA_CUENTAS",  "MV_COMPROBANTES", "MV_STOCK",    "MA_ARTICULOS",
                               "MV_ASIENTOS", "MV_CTACTE",       "MA_CLIENTES", "AUX_MV_CPTE",
                               "MV_RECIBOS",  "TA_CONFIGURACION"};

QString description(Draws& d) {
    QString out;
    const int words = 4 + d.below(37);
    for (int w = 0; w < words; ++w) {
        const QString word = QString::fromUtf8(kWords[d.below(std::size(kWords))]);
        if (out.size() + 1 + word.size() > 250) break;  // the column holds 250
        if (!out.isEmpty()) out += u' ';
        out += word;
    }
    out[0] = out[0].toUpper();
    return out;
}

QString statementLine(Draws& d, int i) {
    const QString table = QString::fromLatin1(kTables[d.below(std::size(kTables))]);
    switch (d.below(4)) {
        case 0:
            return QStringLiteral("UPDATE %1 SET SALDO = SALDO + %2.%3 WHERE CODIGO = '%4'")
                .arg(table)
                .arg(d.below(100000))
                .arg(d.below(100), 2, 10, QLatin1Char('0'))
                .arg(d.below(977));
        case 1:
            return QStringLiteral(
                       "INSERT INTO %1 (TC, IDCOMPROBANTE, FECHA, IMPORTE, USUARIO) VALUES "
                       "('FA', '%2', getdate(), %3.%4, 'VENDEDOR%5')")
                .arg(table)
                .arg(QStringLiteral("%1%2A")
                         .arg(1 + d.below(20), 4, 10, QLatin1Char('0'))
                         .arg(i, 8, 10, QLatin1Char('0')))
                .arg(d.below(1000000))
                .arg(d.below(100), 2, 10, QLatin1Char('0'))
                .arg(d.below(15));
        case 2:
            return QStringLiteral(
                       "SELECT * FROM %1 with(nolock) WHERE IDARTICULO = '%2' AND "
                       "DEPOSITO = %3")
                .arg(table)
                .arg(d.below(50000))
                .arg(1 + d.below(5));
        default:
            return QStringLiteral("DELETE FROM %1 WHERE ID = %2").arg(table).arg(i);
    }
}

QString statement(Draws& d, int i) {
    QStringList lines;
    const int count = 1 + d.below(4);
    for (int l = 0; l < count; ++l) lines.append(statementLine(d, i));
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace

void ensureRealisticErrorLog(const QString& name, int rows) {
    const QString file = databaseFile(name);
    if (!QFileInfo::exists(file)) {
        QDir().mkpath(folder());
        const QString partial = file + QStringLiteral(".part");
        QString error;
        if (!tsql::buildDatabase(partial, QStringLiteral(ZX_SOURCE_DIR "/schema/main.sql"),
                                 &error)) {
            std::fprintf(stderr, "schema: %s\n", qPrintable(error));
            std::exit(1);
        }
        sqlite3* db = tsql::openDatabase(partial, &error);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO AUX_ERR (Proceso, fecha, Error, Descripcion, sql, PC, "
                           "Usuario) VALUES (?, datetime('2025-01-01', '+' || (? * 15) || "
                           "' seconds'), ?, ?, ?, ?, ?)",
                           -1, &insert, nullptr);
        const auto text = [&](int at, const QString& value) {
            const QByteArray utf8 = value.toUtf8();
            sqlite3_bind_text(insert, at, utf8.constData(), static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT);
        };
        for (int i = 0; i < rows; ++i) {
            Draws d(static_cast<std::uint64_t>(i));
            text(1, QString::fromLatin1(kProcesses[d.below(std::size(kProcesses))]));
            sqlite3_bind_int(insert, 2, i);
            sqlite3_bind_int(insert, 3, (i % 8) * 1000 + 208);
            text(4, description(d));
            text(5, statement(d, i));
            text(6, QStringLiteral("CAJA%1").arg(d.below(9)));
            text(7, QStringLiteral("VENDEDOR%1").arg(d.below(15)));
            if (sqlite3_step(insert) != SQLITE_DONE) {
                std::fprintf(stderr, "rows: %s\n", sqlite3_errmsg(db));
                std::exit(1);
            }
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "rows: %s\n", sqlite3_errmsg(db));
            std::exit(1);
        }
        sqlite3_close(db);
        QFile::rename(partial, file);
    }
    // What every benchmark database gets besides its rows (ensureRows on one already built).
    ensureRows(name, QStringLiteral("AUX_ERR"), QString(), 0, 0, QString());
}

}  // namespace zxbench

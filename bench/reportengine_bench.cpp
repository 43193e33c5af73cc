// The error-log report over a million AUX_ERR rows: its selection keeps 5,040 of them and the
// report goes to a PDF. Against it, the same query alone through the sqlite3 C API, its rows
// drawn as the same texts one line per row by a bare QPdfWriter.
#include "bench/error_log_database.h"
#include "bench/ratios.h"
#include "platform/ado/tsql/builder.h"
#include "platform/ado/tsql/translator.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/layout.h"
#include "platform/reportengine/reportdata.h"
#include "platform/reportengine/renderer.h"
#include "platform/vb/conversions.h"

#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>

#include <sys/resource.h>

namespace {

// One day of errors (5,760 rows, one every 15 seconds) without the 7208 errors: 5,040 rows.
const QString kSelection = QStringLiteral(
    "{AUX_ERR.fecha} >= Date(2025,03,01)  AND {AUX_ERR.fecha} <= Date(2025,03,01)  AND "
    "tonumber({AUX_ERR.ERROR}) <= 6208 ");

const QString kDatabase = QStringLiteral("REPORTES");

QString formFile() {
    return QStringLiteral(ZX_BINARY_DIR "/bin/AUX_ERR.rpt");
}

// One row every 15 seconds from 1 January 2025; eight error numbers in turn.
void ensureDatabase() {
    zxbench::ensureErrorLog(
        kDatabase, 0,
        QStringLiteral(
            "'GrabaComprobante' || (i % 12), "
            "datetime('2025-01-01', '+' || (i * 15) || ' seconds'), (i % 8) * 1000 + 208, "
            "'No se pudo grabar el comprobante ' || i, "
            "'UPDATE MA_CUENTAS SET SALDO = SALDO + 1 WHERE CODIGO = ''' || (i % 977) || '''', "
            "'CAJA' || (i % 9), 'VENDEDOR' || (i % 15)"));
}

reportengine::RunRequest request() {
    reportengine::RunRequest r;
    r.form = formFile();
    r.selection = kSelection;
    r.assignments = {QStringLiteral("Nombreempresa = 'Banco de Pruebas SA'")};
    return r;
}

void reportToPdf(benchmark::State& state) {
    reportengine::setConnectionStringProvider([](const reportengine::Logon& logon) {
        return QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;UId=sa;Pwd=;")
            .arg(zxbench::folder(), logon.database);
    });
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("reporte.pdf"));
    long rows = 0, pages = 0;
    for (auto _ : state) {
        const auto doc =
            reportengine::buildDocument(request(), reportengine::Logon{kDatabase, "sa", ""});
        const auto laid = reportengine::layOut(doc);
        reportengine::writePdf(laid, pdf);
        rows = doc.data.rows.size();
        pages = laid.pages.size();
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["pages"] = static_cast<double>(pages);
    // The process's peak resident memory so far, in megabytes (this benchmark runs last).
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    // The PDF kept where ZX_BENCH_PDF says, to compare its text from one build to another.
    const QString keep = qEnvironmentVariable("ZX_BENCH_PDF");
    if (!keep.isEmpty()) {
        QFile::remove(keep);
        QFile::copy(pdf, keep);
    }
}

// The engine's own query text and values, so that both sides ask SQLite the same.
struct PlainQuery {
    QByteArray sql;
    QList<vb::Variant> parameters;
};

PlainQuery engineQuery(sqlite3* db) {
    struct Describe : reportengine::DataSource {
        explicit Describe(sqlite3* db) : db_(db) {}
        QList<reportengine::Column> describe(const QString& table) override {
            QList<reportengine::Column> out;
            for (const tsql::Column& c : tsql::columnsIn(db_)(table)) {
                const QString type = c.declaredType.toUpper();
                auto kind = reportengine::ColumnKind::Text;
                if (type.contains(u"INT")) kind = reportengine::ColumnKind::Number;
                if (type.contains(u"DATE")) kind = reportengine::ColumnKind::Date;
                out.append({c.name, kind});
            }
            return out;
        }
        void select(const QString&, const QList<vb::Variant>&,
                    const std::function<void(const QList<vb::Variant>&)>&) override {}
        sqlite3* db_;
    } source(db);
    const auto q =
        reportengine::buildQuery(reportengine::readForm(formFile()),
                                 reportengine::Selection::parse(kSelection), {}, source);
    return {tsql::Translator(tsql::columnsIn(db)).translate(q.sql).toUtf8(), q.parameters};
}

void queryAndBarePdf(benchmark::State& state) {
    QString error;
    sqlite3* db = tsql::openDatabase(zxbench::databaseFile(kDatabase), &error);
    const PlainQuery query = engineQuery(db);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("bare.pdf"));
    long rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, query.sql.constData(), -1, &stmt, nullptr);
        for (int i = 0; i < query.parameters.size(); ++i) {
            const vb::Variant& p = query.parameters[i];
            if (p.isDate()) {
                const QByteArray t =
                    p.date().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
                sqlite3_bind_text(stmt, i + 1, t.constData(), t.size(), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_double(stmt, i + 1, p.number());
            }
        }
        QPdfWriter writer(pdf);
        writer.setResolution(1200);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        QPainter painter(&writer);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(133);  // 8 points at 1200 dots per inch
        painter.setFont(font);
        const int lineHeight = 236;  // 5 mm
        const int perPage = (writer.height() - 2 * lineHeight) / lineHeight;
        const int columns[] = {0, 1181, 2268, 3354, 4724, 5386, 8976};
        rows = 0;
        int line = 0;
        const int n = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            if (line == perPage) {
                writer.newPage();
                line = 0;
            }
            const int y = (line + 1) * lineHeight;
            for (int c = 0; c < n && c < 7; ++c) {
                QString text =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                      sqlite3_column_bytes(stmt, c));
                if (c == 0) {
                    // The same date text the report shows.
                    text = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                               .toString(QStringLiteral("dd/MM/yy HH:mm"));
                }
                painter.drawText(columns[c], y, text);
            }
            ++line;
            ++rows;
        }
        painter.end();
        sqlite3_finalize(stmt);
    }
    state.counters["rows"] = static_cast<double>(rows);
    sqlite3_close(db);
}

BENCHMARK(queryAndBarePdf)->Unit(benchmark::kMillisecond);
BENCHMARK(reportToPdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("TZ", "America/Argentina/Buenos_Aires", 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    tzset();
    QGuiApplication app(argc, argv);
    vb::setLocale(QLocale(QLocale::Spanish, QLocale::Argentina));
    ensureDatabase();
    benchmark::Initialize(&argc, argv);
    zxbench::runWithRatios({{"reportToPdf", "queryAndBarePdf", 1.2}});
    benchmark::Shutdown();
    return 0;
}

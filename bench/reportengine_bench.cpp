// The error-log report over three million AUX_ERR rows like the ones the suite's programs log
// (descriptions of 4 to 40 words, SQL texts of 1 to 4 lines), through the program's own form.
//
// reportToPdf: one day's errors (5,040 rows) to a PDF, against formBaseline: the same query
// through the sqlite3 C API and a bare QPdfWriter drawing the same texts with the same fonts
// (the report's header, the page header's titles and rule, each row's seven texts wrapped where
// the form wraps them, the page footer's rule and "Página n de N"), repeated for a steady
// median.
//
// Then the scale: 200,000, 1,000,000 and 3,000,000 selected rows (or the counts given as
// --rows=N,N...), each road in a child process of its own: the report written to a saved
// report (the mail output), that saved report exported to a PDF (as the send dialog does), and
// the paged preview laying out every page; rows, pages, time and the child's peak resident
// memory.
//
// Last, the preview while it counts 200,000 and 1,000,000 rows, each in a child of its own:
// the window shown offscreen, a 5 ms timer beside it, and the longest time between two of its
// events; the count in the window against the same count alone, nothing else running.
#include "bench/error_log_database.h"
#include "bench/ratios.h"
#include "platform/ado/tsql/builder.h"
#include "platform/ado/tsql/translator.h"
#include "platform/reportengine/adodatasource.h"
#include "platform/reportengine/engine.h"
#include "platform/reportengine/layout.h"
#include "platform/reportengine/previewwindow.h"
#include "platform/reportengine/reportdata.h"
#include "platform/reportengine/renderer.h"
#include "platform/vb/conversions.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QApplication>
#include <QEventLoop>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

// One day of errors (5,760 rows, one every 15 seconds) without the 7208 errors: 5,040 rows.
const QString kSelection = QStringLiteral(
    "{AUX_ERR.fecha} >= Date(2025,03,01)  AND {AUX_ERR.fecha} <= Date(2025,03,01)  AND "
    "tonumber({AUX_ERR.ERROR}) <= 6208 ");

const QString kDatabase = QStringLiteral("ERRORES");
constexpr int kDatabaseRows = 3000000;

QString formFile() {
    return QStringLiteral(ZX_BINARY_DIR "/bin/AUX_ERR.rpt");
}

void ensureDatabase() {
    zxbench::ensureRealisticErrorLog(kDatabase, kDatabaseRows);
}

void useBenchDatabase() {
    reportengine::services().openData = [](const reportengine::Logon& logon) {
        return std::make_unique<reportengine::AdoDataSource>(
            QStringLiteral("Provider=SQLOLEDB;Server=sqlite:%1;Database=%2;UId=sa;Pwd=;")
                .arg(zxbench::folder(), logon.database));
    };
}

reportengine::RunRequest request(const QString& selection) {
    reportengine::RunRequest r;
    r.form = formFile();
    r.selection = selection;
    r.assignments = {QStringLiteral("Nombreempresa = 'Banco de Pruebas SA'")};
    return r;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The processor time the process has taken: on a busy machine it varies less than the time.
double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void reportToPdf(benchmark::State& state) {
    useBenchDatabase();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("reporte.pdf"));
    long rows = 0, pages = 0;
    for (auto _ : state) {
        const auto doc = reportengine::buildDocument(request(kSelection),
                                                     reportengine::Logon{kDatabase, "sa", ""});
        reportengine::PagedReport report(doc);
        reportengine::writePdf(report, pdf);
        rows = doc.data.rows.size();
        pages = report.pageCount();
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["pages"] = static_cast<double>(pages);
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
    return {
        tsql::Translator(tsql::columnsIn(db), tsql::readingOrderIn(db)).translate(q.sql).toUtf8(),
        q.parameters};
}

// The rows of the query as the texts the form shows (the date as "dd/mm/yy hh:mm").
std::vector<std::array<QString, 7>> queryRows(sqlite3* db, const PlainQuery& query) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, query.sql.constData(), -1, &stmt, nullptr);
    for (int i = 0; i < query.parameters.size(); ++i) {
        const vb::Variant& p = query.parameters[i];
        if (p.isDate()) {
            const QByteArray t = p.date().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
            sqlite3_bind_text(stmt, i + 1, t.constData(), t.size(), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_double(stmt, i + 1, p.number());
        }
    }
    std::vector<std::array<QString, 7>> rows;
    const int n = std::min(sqlite3_column_count(stmt), 7);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::array<QString, 7> row;
        for (int c = 0; c < n; ++c) {
            row[c] = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                       sqlite3_column_bytes(stmt, c));
        }
        row[0] = QDateTime::fromString(row[0], QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                     .toString(QStringLiteral("dd/MM/yy HH:mm"));
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    return rows;
}

// What AUX_ERR.rpt draws, in millimetres: the columns of its detail (x, width, whether the text
// wraps, whether it goes to the right) in the order of its select list, and its bands.
struct FormColumn {
    double x, width;
    bool wrap, right;
};
constexpr FormColumn kColumns[] = {
    {0, 24, false, false},  {25, 20, true, false},  {46, 30, true, false}, {77, 22, true, false},
    {100, 19, false, true}, {121, 67, true, false}, {190, 87, true, false}};
const char* const kTitles[] = {"Fecha", "Usuario", "PC", "Proceso", "Error", "Descripción", "SQL"};
constexpr double kMargin = 10, kPageHeight = 210, kReportHeader = 18, kPageHeader = 8;
constexpr double kDetail = 5, kPageFooter = 8;

void formBaseline(benchmark::State& state) {
    QString error;
    sqlite3* db = tsql::openDatabase(zxbench::databaseFile(kDatabase), &error);
    const PlainQuery query = engineQuery(db);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("bare.pdf"));
    constexpr double units = 1200 / 25.4;  // dots a millimetre
    const auto font = [](double points, bool bold) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(static_cast<int>(points / 72 * 1200 + 0.5));
        f.setBold(bold);
        return f;
    };
    const QFont text = font(8, false), title = font(8, true);
    const int wrapFlags = Qt::TextWordWrap | Qt::TextWrapAnywhere;
    long rows = 0, pages = 0;
    for (auto _ : state) {
        const std::vector<std::array<QString, 7>> data = queryRows(db, query);
        QPdfWriter writer(pdf);
        writer.setResolution(1200);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        QFontMetricsF metrics(text, &writer);
        // First pass: each row's height, and so where the pages break and how many there are.
        std::vector<double> heights;
        std::vector<size_t> pageStarts{0};
        double y = kMargin + kReportHeader + kPageHeader;
        const double footerTop = kPageHeight - kMargin - kPageFooter;
        for (size_t r = 0; r < data.size(); ++r) {
            double h = kDetail;
            for (int c = 0; c < 7; ++c) {
                if (!kColumns[c].wrap) continue;
                const QRectF box = metrics.boundingRect(
                    QRectF(0, 0, kColumns[c].width * units, 1e6), wrapFlags, data[r][c]);
                h = std::max(h, 0.5 + box.height() / units);
            }
            heights.push_back(h);
            if (y + h > footerTop) {
                pageStarts.push_back(r);
                y = kMargin + kPageHeader;
            }
            y += h;
        }
        QPainter painter(&writer);
        const auto mm = [](double x, double y, double w, double h) {
            return QRectF(x * units, y * units, w * units, h * units);
        };
        for (size_t p = 0; p < pageStarts.size(); ++p) {
            if (p > 0) writer.newPage();
            double top = kMargin;
            if (p == 0) {
                painter.setFont(font(16, true));
                painter.drawText(mm(kMargin, top, 277, 8), Qt::AlignHCenter,
                                 QStringLiteral("Informe de Errores"));
                painter.setFont(font(11, false));
                painter.drawText(mm(kMargin, top + 9, 277, 6), Qt::AlignHCenter,
                                 QStringLiteral("Banco de Pruebas SA"));
                top += kReportHeader;
            }
            painter.setFont(title);
            for (int c = 0; c < 7; ++c)
                painter.drawText(mm(kMargin + kColumns[c].x, top + 1, kColumns[c].width, 5),
                                 kColumns[c].right ? Qt::AlignRight : Qt::AlignLeft,
                                 QString::fromUtf8(kTitles[c]));
            painter.drawLine(mm(kMargin, top + 6.5, 277, 0).topLeft(),
                             mm(kMargin, top + 6.5, 277, 0).topRight());
            top += kPageHeader;
            painter.setFont(text);
            const size_t end = p + 1 < pageStarts.size() ? pageStarts[p + 1] : data.size();
            for (size_t r = pageStarts[p]; r < end; ++r) {
                for (int c = 0; c < 7; ++c) {
                    const FormColumn& col = kColumns[c];
                    painter.drawText(
                        mm(kMargin + col.x, top + 0.5, col.width, heights[r]),
                        col.wrap ? wrapFlags : (col.right ? Qt::AlignRight : Qt::AlignLeft),
                        data[r][c]);
                }
                top += heights[r];
            }
            painter.drawLine(mm(kMargin, footerTop + 1, 277, 0).topLeft(),
                             mm(kMargin, footerTop + 1, 277, 0).topRight());
            painter.drawText(mm(kMargin + 177, footerTop + 2, 100, 5), Qt::AlignRight,
                             QStringLiteral("Página %1 de %2").arg(p + 1).arg(pageStarts.size()));
        }
        painter.end();
        rows = static_cast<long>(data.size());
        pages = static_cast<long>(pageStarts.size());
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["pages"] = static_cast<double>(pages);
    sqlite3_close(db);
}

// Seven repetitions of at least a second each: the median steadies the ratio on a busy machine.
BENCHMARK(formBaseline)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(7)
    ->ReportAggregatesOnly();
BENCHMARK(reportToPdf)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

// The pages of a PDF as the writer wrote them, each a "/Type /Page" object; read a piece at a
// time.
long pdfPages(const QString& path) {
    const QByteArray mark("/Type /Page\n");
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    long pages = 0;
    QByteArray carried;
    while (!file.atEnd()) {
        const QByteArray piece = carried + file.read(1 << 20);
        pages += piece.count(mark);
        carried = piece.right(mark.size() - 1);
    }
    return pages;
}

// The figures a child prints on its one line of output: its rows, pages, seconds and peak
// resident kilobytes, one more figure of its road, and its processor seconds.
void printFigures(long rows, long pages, double seconds, long long more) {
    std::printf("%ld %ld %.2f %ld %lld %.2f\n", rows, pages, seconds, peakKilobytes(), more,
                processorSeconds());
}

reportengine::ReportDocument firstRows(int rows) {
    useBenchDatabase();
    return reportengine::buildDocument(request(QStringLiteral("{AUX_ERR.ID} <= %1").arg(rows)),
                                       reportengine::Logon{kDatabase, "sa", ""});
}

// The mail output's report: the rows read and written to a saved report at `saved`.
int savedChild(int rows, const QString& saved) {
    QElapsedTimer clock;
    clock.start();
    const auto doc = firstRows(rows);
    reportengine::writeReportFile(doc, saved, reportengine::kReportFileType);
    printFigures(static_cast<long>(doc.data.rows.size()), 0, clock.elapsed() / 1000.0, 0);
    return 0;
}

// The send dialog's export: the saved report read back and drawn to a PDF.
int pdfChild(const QString& saved, const QString& pdf) {
    QElapsedTimer clock;
    clock.start();
    reportengine::exportReport(saved, pdf, reportengine::kPdfFormat);
    printFigures(0, pdfPages(pdf), clock.elapsed() / 1000.0, QFileInfo(pdf).size() >> 20);
    return 0;
}

// The preview's pages: the rows read, page 1 shown as soon as they are (its milliseconds are
// the last figure), then the count and every page laid out, as paging through the preview
// lays them out.
int previewChild(int rows) {
    QElapsedTimer clock;
    clock.start();
    const auto doc = firstRows(rows);
    QElapsedTimer first;
    first.start();
    reportengine::PagedReport report(doc);
    report.page(0);
    const qint64 firstPage = first.elapsed();
    const int pages = report.pageCount();
    long items = 0;
    for (int i = 0; i < pages; ++i) items += report.page(i).items.size();
    benchmark::DoNotOptimize(items);
    printFigures(static_cast<long>(doc.data.rows.size()), pages, clock.elapsed() / 1000.0,
                 firstPage);
    return 0;
}

// One child's figures; empty when it failed.
QList<QByteArray> runChild(const QStringList& arguments) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::printf("%s: the child failed: %s\n", qPrintable(arguments.join(u' ')),
                    child.readAllStandardError().constData());
        return {};
    }
    const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
    return f.size() == 6 ? f : QList<QByteArray>();
}

// Runs each size's three roads in children of their own and prints their figures and goals.
void runScale(const QList<int>& sizes) {
    std::printf("\nScale (each road in a child process; peak is its resident maximum):\n");
    QTemporaryDir dir;
    constexpr double kGoalMegabytes = 256;
    std::map<std::string, double> firstPerRow;  // of each road, at the first size
    for (int rows : sizes) {
        const QString saved = dir.filePath(QStringLiteral("escala.RPT"));
        const QString pdf = dir.filePath(QStringLiteral("escala.PDF"));
        const QList<QByteArray> s =
            runChild({QStringLiteral("--saved"), QString::number(rows), saved});
        const QList<QByteArray> p =
            s.isEmpty() ? QList<QByteArray>() : runChild({QStringLiteral("--pdf"), saved, pdf});
        const QList<QByteArray> v = runChild({QStringLiteral("--preview"), QString::number(rows)});
        QFile::remove(saved);
        QFile::remove(pdf);
        const auto line = [&](const char* road, const QList<QByteArray>& f, double perRowOf) {
            if (f.isEmpty()) return;
            const double seconds = f[2].toDouble(), megabytes = f[3].toDouble() / 1024;
            const double perRow = seconds / perRowOf;
            std::printf("  %-14s %.1f s (%.1f us a row, processor %.1f s", road, seconds,
                        perRow * 1e6, f[5].toDouble());
            if (!firstPerRow.emplace(road, perRow).second)
                std::printf(", %.2fx the first size's", perRow / firstPerRow[road]);
            std::printf("), peak %.0f MB (goal at most %.0f MB, %s)", megabytes, kGoalMegabytes,
                        megabytes <= kGoalMegabytes ? "met" : "not met");
        };
        const double selected = v.isEmpty() ? rows : v[0].toDouble();
        std::printf("%d rows%s%s:\n", rows, v.isEmpty() ? "" : ", pages ",
                    v.isEmpty() ? "" : v[1].constData());
        line("saved report", s, selected);
        std::printf("\n");
        line("saved to PDF", p, selected);
        if (!p.isEmpty()) std::printf("; %s pages, %s MB", p[1].constData(), p[4].constData());
        std::printf("\n");
        line("preview", v, selected);
        if (!v.isEmpty())
            std::printf("; page 1 %s ms after the rows are read (goal under 2 s, %s)",
                        v[4].constData(), v[4].toLongLong() < 2000 ? "met" : "not met");
        std::printf("\n");
        std::fflush(stdout);
    }
}

// The row counts of the scale: --rows=N,N... (taken off the command line), else the three.
QList<int> scaleSizes(int* argc, char** argv) {
    QList<int> sizes{200000, 1000000, 3000000};
    for (int i = 1; i < *argc; ++i) {
        const QByteArray a(argv[i]);
        if (!a.startsWith("--rows=")) continue;
        sizes.clear();
        for (const QByteArray& n : a.mid(7).split(',')) sizes.append(n.toInt());
        std::copy(argv + i + 1, argv + *argc, argv + i);
        --*argc;
        break;
    }
    return sizes;
}

// The child of one size for the preview: prints its rows, pages, the milliseconds the count
// alone takes, those it takes in the shown window, and the longest and the 99th percentile
// of the milliseconds between two events of a 5 ms timer while the window counts.
int countingChild(int rows) {
    useBenchDatabase();
    const auto doc =
        reportengine::buildDocument(request(QStringLiteral("{AUX_ERR.ID} <= %1").arg(rows)),
                                    reportengine::Logon{kDatabase, "sa", ""});
    QElapsedTimer clock;
    clock.start();
    int pages = 0;
    {
        reportengine::PagedReport alone(doc);
        pages = alone.pageCount();
    }
    const qint64 aloneMs = clock.elapsed();

    reportengine::PreviewWindow window(doc);
    window.show();
    QEventLoop loop;
    std::vector<qint64> gaps;
    QElapsedTimer since;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        gaps.push_back(since.restart());
        if (window.pageCountKnown()) loop.quit();
    });
    clock.restart();
    since.start();
    tick.start();
    loop.exec();
    const qint64 windowMs = clock.elapsed();
    std::sort(gaps.begin(), gaps.end());
    const qint64 longest = gaps.empty() ? 0 : gaps.back();
    const qint64 p99 = gaps.empty() ? 0 : gaps[gaps.size() * 99 / 100];
    std::printf("%lld %d %lld %lld %lld %lld\n", static_cast<long long>(doc.data.rows.size()),
                window.pageCount() == pages ? pages : -1, static_cast<long long>(aloneMs),
                static_cast<long long>(windowMs), static_cast<long long>(longest),
                static_cast<long long>(p99));
    return 0;
}

void runCounting() {
    std::printf(
        "\nThe preview while it counts (window shown offscreen, a 5 ms timer beside it):\n");
    for (int rows : {200000, 1000000}) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--counting"), QString::number(rows)});
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            std::printf("%d rows: the child failed: %s\n", rows,
                        child.readAllStandardError().constData());
            continue;
        }
        const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
        if (f.size() < 6) continue;
        const double alone = f[2].toDouble(), inWindow = f[3].toDouble();
        std::printf(
            "%s rows, %s pages: counted in the window in %.1f s, alone in %.1f s (%.2fx, "
            "goal at most 1.1x, %s); longest time between events %s ms, 99th percentile "
            "%s ms (goal at most 50 ms, %s)\n",
            f[0].constData(), f[1].constData(), inWindow / 1000, alone / 1000, inWindow / alone,
            inWindow <= 1.1 * alone ? "met" : "not met", f[4].constData(), f[5].constData(),
            f[4].toInt() <= 50 ? "met" : "not met");
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("TZ", "America/Argentina/Buenos_Aires", 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    tzset();
    QApplication app(argc, argv);
    vb::setLocale(QLocale(QLocale::Spanish, QLocale::Argentina));
    const QByteArray road = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (argc == 4 && road == "--saved")
        return savedChild(std::atoi(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 4 && road == "--pdf")
        return pdfChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 3 && road == "--preview") return previewChild(std::atoi(argv[2]));
    if (argc == 3 && road == "--counting") return countingChild(std::atoi(argv[2]));
    const QList<int> sizes = scaleSizes(&argc, argv);
    ensureDatabase();
    zxbench::initializeInterleaved(argc, argv);
    zxbench::runWithRatios(
        {{"reportToPdf/min_time:1.000/repeats:7", "formBaseline/min_time:1.000/repeats:7", 1.1}});
    benchmark::Shutdown();
    if (!qEnvironmentVariableIsSet("ZX_BENCH_NO_SCALE")) runScale(sizes);
    if (!qEnvironmentVariableIsSet("ZX_BENCH_NO_PREVIEW")) runCounting();
    return 0;
}

// The search grid over error-log rows like the ones the suite's programs log (AUX_ERR:
// descriptions of 4 to 40 words, SQL texts of 1 to 4 lines), a lookup of its eight columns.
// - Type-ahead: each keystroke searches the rows for the first one whose cell begins with the
//   typed text, over 100,000 rows; the texts typed are longer and longer beginnings of the last
//   row's description, so that every row is looked at. The target is under 50 ms a keystroke.
// - Loading: the grid's query run and its rows filled into the window shown offscreen, until
//   the list has painted its first rows, against the same rows read through the database layer
//   alone, side by side in one run (100,000 rows).
// - Fresh processes (this binary again), 100,000 and 1,000,000 rows: the grid's load to its
//   first row painted and its peak resident memory, then F5 in the first search box, empty, so
//   that every row is read again, and the memory after it; beside them a bare QTreeView over a
//   minimal table model holding the same rows' texts (read through the sqlite3 C API), to its
//   first row painted, in a fresh process of its own.
#include "bench/error_log_database.h"
#include "bench/ratios.h"
#include "db/db_dll.h"
#include "lookup/datos.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/search_grid.h"
#include "platform/ado/ado.h"
#include "platform/ado/tsql/builder.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTreeView>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kMillion = 1000000;
const char* const kGridChild = "--grid-child=";
const char* const kBareChild = "--bare-child=";

// The report's benchmark database: the error log of three million rows.
const QString kDatabase = QStringLiteral("ERRORES");
constexpr int kDatabaseRows = 3000000;

// The lookup over the first `rows` rows of the error log.
QString lookupOf(int rows) {
    return QStringLiteral(
               "SELECT ID, fecha, Usuario, PC, Error, Proceso, Descripcion, sql "
               "FROM AUX_ERR WHERE ID <= %1 ORDER BY ID")
        .arg(rows);
}

// The program's database class on the error log, as the lookup service reads through it.
void openProgramDatabase() {
    gDB().gServidor = QStringLiteral("sqlite:") + zxbench::folder();
    gDB().gDBName = kDatabase;
    gDB().gUsuario = QStringLiteral("sa");
    gDB().gUserPassWord = QString();
    gDB().OpenServerADODB(false, ado::adUseClient, QString(), false, false);
    if (!gDB().gOpenFlag) {
        std::fprintf(stderr, "the error log database does not open\n");
        std::exit(1);
    }
}

// A memory figure the kernel keeps for this process, in megabytes: VmHWM its peak resident
// memory (its own, where getrusage's also takes the parent's that started this binary again),
// VmRSS its resident memory now.
double statusMegabytes(const QByteArray& field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

double peakMegabytes() {
    return statusMegabytes("VmHWM");
}

double residentMegabytes() {
    return statusMegabytes("VmRSS");
}

void BM_TypeAheadKeystroke(benchmark::State& state) {
    QString sql = lookupOf(kRows);
    const std::optional<lookup::ResultadoConsulta> filas = lookup::datos().consulta(sql, false);
    if (!filas || filas->filas.size() != kRows) {
        state.SkipWithError("the rows were not read");
        return;
    }
    SearchGrid grid;
    grid.sql = lookupOf(kRows);
    grid.muestraResultado(*filas);
    const int descripcion = grid.IndiceColumna(QStringLiteral("Descripcion")) - 1;
    const QString ultima = filas->filas.last()[6].string();
    QStringList teclas;
    for (int n = 1; n <= 5; ++n) teclas.append(ultima.left(n * ultima.size() / 5));
    qsizetype k = 0;
    for (auto _ : state) {
        grid.CmbSearch_Change(descripcion, teclas[k++ % teclas.size()]);
        benchmark::DoNotOptimize(grid.seleccion());
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_TypeAheadKeystroke)->Unit(benchmark::kMillisecond);

// The baseline: the same rows through the database layer alone, every value read.
void BM_GridRowsThroughLayer(benchmark::State& state) {
    long rows = 0;
    for (auto _ : state) {
        ado::Recordset rs;
        rs.Open(lookupOf(kRows), gDB().gCnn);
        rows = zxbench::readEveryValue(rs);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
// Both sides of the ratio are medians of several runs: the machine is shared.
BENCHMARK(BM_GridRowsThroughLayer)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// Notes the first paint of a list that shows rows.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QTreeView& view) : view_(view) {
        view.viewport()->installEventFilter(this);
    }
    bool painted() const { return painted_; }
    void again() { painted_ = false; }
    // Runs the event loop until the list has painted rows: the paint is done when the loop
    // returns from the event that was filtered.
    void wait() {
        while (!painted_) QApplication::processEvents();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && view_.model()->rowCount() > 0) painted_ = true;
        return false;
    }

private:
    QTreeView& view_;
    bool painted_ = false;
};

// The lookup as the lookup service runs it: the grid's query and rows, then the window made,
// filled and shown (offscreen), until the list has painted its first rows.
struct LoadedGrid {
    std::unique_ptr<SearchGrid> grid = std::make_unique<SearchGrid>();
    std::unique_ptr<Lib_FrmCons3> form;
    std::unique_ptr<FirstPaint> watch;
};

LoadedGrid loadUntilPainted(int rows) {
    LoadedGrid loaded;
    loaded.grid->sql = lookupOf(rows);
    loaded.grid->Form_Load();
    loaded.form = std::make_unique<Lib_FrmCons3>(*loaded.grid);
    loaded.watch = std::make_unique<FirstPaint>(*loaded.form->ListView1);
    loaded.form->show();
    loaded.watch->wait();
    return loaded;
}

void BM_GridLoad(benchmark::State& state) {
    long rows = 0;
    for (auto _ : state) {
        LoadedGrid loaded = loadUntilPainted(kRows);
        rows = loaded.form->ListView1->model()->rowCount();
        state.PauseTiming();
        loaded.watch.reset();
        loaded.form.reset();
        loaded.grid.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_GridLoad)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

// A fresh process loads the lookup of `rows` rows and tells the milliseconds to its first row
// painted and its peak resident memory; then F5 in the first search box, left empty, reads
// every row again, and it tells the milliseconds to the list painted again, its peak and its
// resident memory after it.
[[noreturn]] void gridChild(int argc, char** argv, int rows) {
    QApplication app(argc, argv);
    openProgramDatabase();
    QElapsedTimer clock;
    clock.start();
    LoadedGrid loaded = loadUntilPainted(rows);
    const double ms = clock.nsecsElapsed() / 1e6;
    const double peak = peakMegabytes();
    const int shown = loaded.form->ListView1->model()->rowCount();

    clock.restart();
    loaded.watch->again();
    loaded.grid->CmbSearch_KeyDown(0, 116, 0);
    loaded.watch->wait();
    const double f5 = clock.nsecsElapsed() / 1e6;
    std::printf(
        "first_row_ms=%.1f;peak_MB=%.1f;rows=%d;f5_ms=%.1f;f5_peak_MB=%.1f;"
        "f5_resident_MB=%.1f;f5_rows=%d",
        ms, peak, shown, f5, peakMegabytes(), residentMegabytes(),
        loaded.form->ListView1->model()->rowCount());
    std::fflush(stdout);
    std::_Exit(0);
}

// The least a list of these rows can be: each cell's text held in a QString of its own, handed
// to the view as it is.
class BareModel : public QAbstractTableModel {
public:
    BareModel(QStringList titles, QList<QString> cells)
        : titles_(std::move(titles)), cells_(std::move(cells)) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(cells_.size() / titles_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(titles_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return cells_[index.row() * titles_.size() + index.column()];
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return titles_[section];
    }

private:
    QStringList titles_;
    QList<QString> cells_;
};

// The baseline of a fresh process: the same query through the sqlite3 C API, each text into
// the bare model, and a bare QTreeView over it shown until it has painted its first rows.
[[noreturn]] void bareChild(int argc, char** argv, int rows) {
    QApplication app(argc, argv);
    QString error;
    sqlite3* db = tsql::openDatabase(zxbench::databaseFile(kDatabase), &error);
    QElapsedTimer clock;
    clock.start();
    sqlite3_stmt* query = nullptr;
    const QByteArray text = lookupOf(rows).toUtf8();
    if (!db || sqlite3_prepare_v2(db, text.constData(), -1, &query, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "the bare query does not run\n");
        std::_Exit(1);
    }
    const int columns = sqlite3_column_count(query);
    QStringList titles;
    for (int c = 0; c < columns; ++c)
        titles.append(QString::fromUtf8(sqlite3_column_name(query, c)));
    QList<QString> cells;
    while (sqlite3_step(query) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            cells.append(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(query, c)),
                                  sqlite3_column_bytes(query, c)));
        }
    }
    sqlite3_finalize(query);
    BareModel model(titles, std::move(cells));
    QTreeView view;
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setModel(&model);
    view.resize(800, 600);
    FirstPaint watch(view);
    view.show();
    watch.wait();
    const double ms = clock.nsecsElapsed() / 1e6;
    std::printf("first_row_ms=%.1f;peak_MB=%.1f;rows=%d", ms, peakMegabytes(), model.rowCount());
    std::fflush(stdout);
    sqlite3_close(db);
    std::_Exit(0);
}

// What a child told, by name; empty when it failed or did not show every row.
QMap<QString, double> runChild(const char* mode, int rows) {
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QString::fromLatin1(mode) + QString::number(rows)});
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start();
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
        child.kill();
        child.waitForFinished();
        return {};
    }
    QMap<QString, double> told;
    for (const QString& item :
         QString::fromUtf8(child.readAllStandardOutput()).split(u';', Qt::SkipEmptyParts))
        told[item.section(u'=', 0, 0)] = item.section(u'=', 1).toDouble();
    if (told.value(QStringLiteral("rows")) != rows) return {};
    return told;
}

// The figures of one size, medians of the runs, held against their goals once the run is over.
struct Figures {
    int rows = 0;
    QMap<QString, QList<double>> grid, bare;
};
std::vector<Figures> sizes;

double median(QList<double> v) {
    if (v.isEmpty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void BM_GridFreshProcess(benchmark::State& state) {
    Figures figures;
    figures.rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        // The grid and its baseline in turns, so that a change of the machine's load weighs on
        // both alike.
        const QMap<QString, double> grid = runChild(kGridChild, figures.rows);
        const QMap<QString, double> bare = runChild(kBareChild, figures.rows);
        if (grid.isEmpty() || bare.isEmpty() ||
            grid.value(QStringLiteral("f5_rows")) != figures.rows) {
            state.SkipWithError("a child did not show every row");
            return;
        }
        for (auto it = grid.begin(); it != grid.end(); ++it) figures.grid[it.key()] << *it;
        for (auto it = bare.begin(); it != bare.end(); ++it) figures.bare[it.key()] << *it;
    }
    for (const char* name : {"first_row_ms", "peak_MB", "f5_ms", "f5_peak_MB", "f5_resident_MB"})
        state.counters[name] = median(figures.grid.value(QString::fromLatin1(name)));
    state.counters["bare_first_row_ms"] = median(figures.bare.value("first_row_ms"));
    state.counters["bare_peak_MB"] = median(figures.bare.value("peak_MB"));
    sizes.push_back(figures);
}
BENCHMARK(BM_GridFreshProcess)
    ->Arg(kRows)
    ->Arg(kMillion)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Each size's figures against the bare view's, and the goals: the first row painted within
// twice the bare view's time, and the peak memory, after F5 too, within the bare view's.
void printSizes() {
    const auto met = [](bool ok) { return ok ? "met" : "not met"; };
    for (const Figures& f : sizes) {
        const double first = median(f.grid.value("first_row_ms"));
        const double bareFirst = median(f.bare.value("first_row_ms"));
        const double peak = median(f.grid.value("peak_MB"));
        const double f5Peak = median(f.grid.value("f5_peak_MB"));
        const double barePeak = median(f.bare.value("peak_MB"));
        if (bareFirst <= 0 || barePeak <= 0) continue;
        std::printf(
            "%d rows, fresh process: first row painted after %.0f ms against the bare "
            "view's %.0f ms: %.2fx (target at most 2x, %s)\n",
            f.rows, first, bareFirst, first / bareFirst, met(first <= 2 * bareFirst));
        std::printf(
            "%d rows: peak memory %.0f MB, after F5 %.0f MB, against the bare view's "
            "%.0f MB: %.2fx (target at most 1x, %s); F5 read every row again in %.0f ms; "
            "resident after it %.0f MB\n",
            f.rows, peak, f5Peak, barePeak, f5Peak / barePeak, met(f5Peak <= barePeak),
            median(f.grid.value("f5_ms")), median(f.grid.value("f5_resident_MB")));
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("TZ", "America/Argentina/Buenos_Aires", 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    tzset();
    for (int i = 1; i < argc; ++i) {
        int childArgc = 1;
        if (std::strncmp(argv[i], kGridChild, std::strlen(kGridChild)) == 0)
            gridChild(childArgc, argv, std::atoi(argv[i] + std::strlen(kGridChild)));
        if (std::strncmp(argv[i], kBareChild, std::strlen(kBareChild)) == 0)
            bareChild(childArgc, argv, std::atoi(argv[i] + std::strlen(kBareChild)));
    }
    QApplication app(argc, argv);
    zxbench::ensureRealisticErrorLog(kDatabase, kDatabaseRows);
    openProgramDatabase();
    benchmark::Initialize(&argc, argv);
    zxbench::runWithRatios({{"BM_GridLoad/repeats:7", "BM_GridRowsThroughLayer/repeats:7", 2.0}});
    printSizes();
    benchmark::Shutdown();
    return 0;
}

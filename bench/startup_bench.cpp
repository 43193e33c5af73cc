// Start-up: a fresh process from its start to the "Informe de Errores" form shown offscreen on
// the demo database, down the program's own start road, against a fresh process showing a bare
// Qt dialog offscreen. Both are this binary started again, side by side in one run; each child
// tells how long its steps took, so that the figure says where the time goes.
#include "app/arranque.h"
#include "bench/error_log_database.h"
#include "bench/ratios.h"
#include "demo/demodata.h"
#include "platform/vb/app.h"
#include "report/ui/frmzentrik.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kChild = "--startup-child=";

QString demoFolder() {
    return QDir(zxbench::folder()).filePath(QStringLiteral("demo"));
}

QString programFolder() {
    return QDir(zxbench::folder()).filePath(QStringLiteral("programa"));
}

void ensureDemo() {
    if (QFileInfo::exists(QDir(demoFolder()).filePath(QStringLiteral("DEMO.db")))) return;
    QString error;
    if (!demo::createDatabases(demoFolder(), QDate::currentDate(), &error)) {
        std::fprintf(stderr, "demo: %s\n", qPrintable(error));
        std::exit(1);
    }
}

// The steps a child took, in milliseconds from the start of main: "name=ms;name=ms;...".
class Steps {
public:
    Steps() { clock_.start(); }
    void mark(const char* name) {
        text_ +=
            QStringLiteral("%1=%2;").arg(QLatin1String(name)).arg(clock_.nsecsElapsed() / 1e6);
    }
    // Tells the parent and ends at once: what comes after the form is shown is not start-up.
    [[noreturn]] void finish() {
        std::fputs(qPrintable(text_), stdout);
        std::fflush(stdout);
        std::_Exit(0);
    }

private:
    QElapsedTimer clock_;
    QString text_;
};

void waitUntilExposed(QWidget& w) {
    while (!w.windowHandle() || !w.windowHandle()->isExposed()) QApplication::processEvents();
    QApplication::processEvents();
}

// The same road as the program's main, with the demo's command line.
[[noreturn]] void programChild(int argc, char** argv, const QString& lineaComando) {
    Steps steps;
    arranque::fijaZonaHoraria();
    QApplication app(argc, argv);
    steps.mark("application");
    vb::App().Path = programFolder();
    arranque::Programa programa(app);
    steps.mark("services");
    frmZentrik form(lineaComando);
    steps.mark("form");
    form.Form_Load();
    steps.mark("load");
    form.show();
    waitUntilExposed(form);
    steps.mark("shown");
    steps.finish();
}

[[noreturn]] void dialogChild(int argc, char** argv) {
    Steps steps;
    QApplication app(argc, argv);
    steps.mark("application");
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Informe de Errores"));
    dialog.resize(640, 480);
    steps.mark("form");
    dialog.show();
    waitUntilExposed(dialog);
    steps.mark("shown");
    steps.finish();
}

// Starts this binary as a child of the given kind and adds its steps to the counters.
void runChild(benchmark::State& state, const QString& kind) {
    QMap<QString, double> sums;
    for (auto _ : state) {
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        QStringList arguments{QString::fromLatin1(kChild) + kind};
        // The program's command line for the demo, as ./scripts/run.sh gives it.
        if (kind == QLatin1String("program")) {
            arguments << QStringLiteral(
                             "@server=sqlite:%1;@dbname=%2;@usuario=demo;@Password=demo;")
                             .arg(demoFolder(), QString::fromUtf8(demo::mainName));
        }
        child.setArguments(arguments);
        child.start();
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            state.SkipWithError("the child did not start");
            child.kill();
            child.waitForFinished();
            break;
        }
        for (const QString& step :
             QString::fromUtf8(child.readAllStandardOutput()).split(u';', Qt::SkipEmptyParts)) {
            const qsizetype eq = step.indexOf(u'=');
            sums[step.left(eq)] += step.mid(eq + 1).toDouble();
        }
    }
    const double n = static_cast<double>(state.iterations());
    for (auto it = sums.cbegin(); it != sums.cend(); ++it) {
        state.counters[(QStringLiteral("ms_to_") + it.key()).toStdString()] =
            n > 0 ? it.value() / n : 0;
    }
}

void bareDialogStart(benchmark::State& state) {
    runChild(state, QStringLiteral("dialog"));
}

void programStart(benchmark::State& state) {
    runChild(state, QStringLiteral("program"));
}

BENCHMARK(bareDialogStart)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(programStart)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kChild, std::strlen(kChild)) != 0) continue;
        const char* kind = argv[i] + std::strlen(kChild);
        int childArgc = 1;
        if (std::strcmp(kind, "program") == 0 && i + 1 < argc)
            programChild(childArgc, argv, QString::fromLocal8Bit(argv[i + 1]));
        dialogChild(childArgc, argv);
    }
    QCoreApplication app(argc, argv);
    ensureDemo();
    QDir().mkpath(programFolder());
    benchmark::Initialize(&argc, argv);
    zxbench::runWithRatios({{"programStart/min_time:2.000/real_time",
                             "bareDialogStart/min_time:2.000/real_time", 3.0}});
    benchmark::Shutdown();
    return 0;
}

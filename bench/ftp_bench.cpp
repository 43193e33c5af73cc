// The FTP client window's list of a remote folder of 20,000 and of 100,000 names: the listing
// read from a real FTP server on 127.0.0.1 (which answers a prepared listing), keyed by name
// and shown in the window offscreen, as "Refrescar Lista" does it. The work must grow in
// proportion to the names: the larger folder is held against the smaller one, five times
// as many names, with a little room for the machine's noise.
#include "app/arranque.h"
#include "bench/ratios.h"
#include "platform/shell/settings.h"
#include "tests/support/ftp_server.h"
#include "transfer/frmmainftp.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// `names` files in machine format, each name told apart by its number.
QByteArray listing(int names) {
    QByteArray out;
    out.reserve(names * 64);
    for (int i = 0; i < names; ++i) {
        out += "type=file;size=" + QByteArray::number(1000 + i % 977) +
               ";modify=20240305123000; Factura_" + QByteArray::number(i).rightJustified(6, '0') +
               ".pdf\r\n";
    }
    return out;
}

void BM_FtpWindowList(benchmark::State& state) {
    const int names = static_cast<int>(state.range(0));
    zxtest::FtpServer::Options options;
    options.listing = listing(names);
    zxtest::FtpServer server(options);
    frmMainFTP window;
    window.PuertoFTP = server.port();
    window.txtServer->setText(server.host());
    window.txtUser->setText(server.login());
    window.txtPassword->setText(server.password());
    window.show();
    window.cmdConnect_Click();
    for (auto _ : state) window.cmdRefresh_Click();
    const int rows = window.lv->topLevelItemCount();
    if (rows != names + 1) state.SkipWithError("the window does not list every name");
    state.counters["names"] = names;
}
// Medians of a few runs: the machine is shared.
BENCHMARK(BM_FtpWindowList)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    arranque::fijaZonaHoraria();  // as the program starts
    QApplication app(argc, argv);
    // The window keeps its last connection in the settings store: this run's own.
    QTemporaryDir settings;
    shell::setSettingsFolder(settings.path());
    benchmark::Initialize(&argc, argv);
    zxbench::runWithRatios(
        {{"BM_FtpWindowList/100000/repeats:3", "BM_FtpWindowList/20000/repeats:3", 6.0}});
    benchmark::Shutdown();
    return 0;
}

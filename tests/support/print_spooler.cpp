#include "tests/support/print_spooler.h"

#include "tests/support/fixtures.h"
#include "tests/support/python_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <cups/cups.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace zxtest {

namespace {

const QStringList kQueues = {QStringLiteral("ZX-PDF"), QStringLiteral("ZX-OTRA"),
                             QStringLiteral("ZX-PAUSADA"), QStringLiteral("ZX-RECHAZA"),
                             QStringLiteral("ZX-PROHIBIDA")};
// Variables through which a user's own choice of printer would override the spooler's default.
const QList<QByteArray> kDestinationVariables = {"PRINTER", "LPDEST"};

bool socketAnswers(const QString& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= static_cast<int>(sizeof addr.sun_path)) {
        ::close(fd);
        return false;
    }
    std::memcpy(addr.sun_path, name.constData(), name.size());
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

bool write(const QString& path, const QString& text) {
    return writeFile(path, text.toUtf8());
}

QString cupsdProgram() {
    const QString found = QStandardPaths::findExecutable(
        QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return found.isEmpty() ? QStringLiteral("/usr/sbin/cupsd") : found;
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString()
                      << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

PrintSpooler::PrintSpooler() : dir_(QDir::tempPath() + QStringLiteral("/spooler-XXXXXX")) {
    if (!dir_.isValid()) throw std::runtime_error("no temporary folder for the print spooler");
    for (const char* folder :
         {"conf/ppd", "spool/tmp", "cache", "state", "log", "bin/backend", "bin/filter", "out"})
        QDir().mkpath(path(QString::fromLatin1(folder)));
    // The scheduler starts its back ends through its own helper program.
    QFile::link(QStringLiteral("/usr/lib/cups/daemon"), path("bin/daemon"));
    // A back end the scheduler runs as root must be root's alone (mode 0700).
    const QString backend = path("bin/backend/zxpdf");
    QFile::copy(sourcePath(QStringLiteral("tests/support/print_spooler_backend.sh")), backend);
    QFile::setPermissions(backend, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString socket = path("cups.sock");
    bool ok = write(path("conf/cups-files.conf"),
                    QStringLiteral("ServerRoot %1\n"
                                   "RequestRoot %2\n"
                                   "TempDir %3\n"
                                   "CacheDir %4\n"
                                   "StateDir %5\n"
                                   "ServerBin %6\n"
                                   "DataDir /usr/share/cups\n"
                                   "AccessLog %7/access_log\n"
                                   "ErrorLog %7/error_log\n"
                                   "PageLog %7/page_log\n"
                                   "Printcap %8\n"
                                   "FileDevice No\n"
                                   "SystemGroup root\n")
                        .arg(path("conf"), path("spool"), path("spool/tmp"), path("cache"),
                             path("state"), path("bin"), path("log"), path("printcap")));
    ok = ok && write(path("conf/cupsd.conf"),
                     QStringLiteral("Listen %1\n"
                                    "LogLevel info\n"
                                    "MaxLogSize 0\n"
                                    "Browsing No\n"
                                    "WebInterface No\n"
                                    "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                    "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                    "  </Limit>\n</Policy>\n")
                         .arg(socket));
    QString printers;
    for (const QString& queue : kQueues) {
        QDir().mkpath(path("out/" + queue));
        QFile::copy(sourcePath(QStringLiteral("tests/support/print_spooler.ppd")),
                    path("conf/ppd/" + queue + ".ppd"));
        printers += QStringLiteral(
                        "<%1 %2>\nInfo %2\nDeviceURI zxpdf:%3\nState %4\nAccepting %5\n"
                        "Shared No\nJobSheets none none\nOpPolicy default\n"
                        "ErrorPolicy abort-job\n%6</%1>\n")
                        .arg(queue == defaultQueue() ? QStringLiteral("DefaultPrinter")
                                                     : QStringLiteral("Printer"),
                             queue, path("out/" + queue),
                             queue == QStringLiteral("ZX-PAUSADA") ? QStringLiteral("Stopped")
                                                                   : QStringLiteral("Idle"),
                             queue == QStringLiteral("ZX-RECHAZA") ? QStringLiteral("No")
                                                                   : QStringLiteral("Yes"),
                             // The one user allowed there is nobody who runs the tests.
                             queue == QStringLiteral("ZX-PROHIBIDA")
                                 ? QStringLiteral("AllowUser zx-nadie\n")
                                 : QString());
    }
    ok = ok && write(path("conf/printers.conf"), printers);
    if (!ok) throw std::runtime_error("the print spooler's configuration was not written");

    // The scheduler goes with the test process, even when the test is killed.
    cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.setStandardOutputFile(path("log/cupsd.out"));
    cupsd_.start(cupsdProgram(),
                 {QStringLiteral("-f"), QStringLiteral("-c"), path("conf/cupsd.conf"),
                  QStringLiteral("-s"), path("conf/cups-files.conf")});

    QDeadlineTimer deadline(15000);
    while (!socketAnswers(socket) && cupsd_.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        QThread::msleep(20);
    if (!socketAnswers(socket)) {
        const QString why = readTextFile(path("log/cupsd.out")) + log();
        stop();
        throw std::runtime_error(
            ("the print spooler did not start: " + cupsdProgram() + "\n" + why).toStdString());
    }

    hadServer_ = qEnvironmentVariableIsSet("CUPS_SERVER");
    previousServer_ = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", QFile::encodeName(socket));
    for (const QByteArray& name : kDestinationVariables) {
        if (qEnvironmentVariableIsSet(name.constData()))
            previousDestination_.insert(name, qgetenv(name.constData()));
        qunsetenv(name.constData());
    }
    // libcups keeps the server it first talked to; this process may have talked to another.
    cupsSetServer(QFile::encodeName(socket).constData());
}

PrintSpooler::~PrintSpooler() {
    stop();
}

void PrintSpooler::stop() {
    if (cupsd_.state() != QProcess::NotRunning) {
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(10000)) {
            cupsd_.kill();
            cupsd_.waitForFinished(5000);
        }
        if (hadServer_)
            qputenv("CUPS_SERVER", previousServer_);
        else
            qunsetenv("CUPS_SERVER");
        for (auto it = previousDestination_.cbegin(); it != previousDestination_.cend(); ++it)
            qputenv(it.key().constData(), it.value());
        cupsSetServer(nullptr);
    }
}

QList<PrintedJob> PrintSpooler::jobs(const QString& queue) const {
    QList<PrintedJob> out;
    const QDir folder(path("out/" + queue));
    for (const QString& name : folder.entryList({QStringLiteral("job-*.txt")}, QDir::Files)) {
        PrintedJob job;
        job.queue = queue;
        job.id = name.mid(4, name.size() - 8).toInt();
        job.pdf = folder.filePath(name.left(name.size() - 4) + QStringLiteral(".pdf"));
        for (const QString& line : readTextFile(folder.filePath(name)).split(u'\n')) {
            const QString key = line.section(u'=', 0, 0);
            const QString value = line.section(u'=', 1);
            if (key == QLatin1String("title")) job.title = value;
            if (key == QLatin1String("copies")) job.copies = value.toInt();
            if (key == QLatin1String("options")) job.options = value;
        }
        out.append(job);
    }
    std::sort(out.begin(), out.end(),
              [](const PrintedJob& a, const PrintedJob& b) { return a.id < b.id; });
    return out;
}

QList<PrintedJob> PrintSpooler::waitForJobs(const QString& queue, int count) const {
    QDeadlineTimer deadline(20000);
    while (jobs(queue).size() < count && !deadline.hasExpired()) QThread::msleep(20);
    return jobs(queue);
}

int PrintSpooler::unfinishedJobs() const {
    cups_job_t* list = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, nullptr, 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(n, list);
    if (n < 0) ADD_FAILURE() << "the spooler did not list its jobs: " << cupsLastErrorString();
    return n;
}

int PrintSpooler::finishedJobs() const {
    int n = 0;
    for (const QString& queue : kQueues) n += jobs(queue).size();
    return n;
}

QString PrintSpooler::log() const {
    return readTextFile(path("log/error_log"));
}

bool PdfPage::operator==(const PdfPage& other) const {
    return std::abs(width - other.width) < 0.5 && std::abs(height - other.height) < 0.5;
}

QList<PdfPage> pdfPages(const QString& pdf) {
    const QString info =
        run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                        QStringLiteral("-l"), QStringLiteral("100000"), pdf});
    static const QRegularExpression size(
        QStringLiteral(R"(^Page\s+(\d+) size:\s+([\d.]+) x ([\d.]+) pts)"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression rotation(QStringLiteral(R"(^Page\s+(\d+) rot:\s+(\d+))"),
                                             QRegularExpression::MultilineOption);
    QList<PdfPage> pages;
    for (auto it = size.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        pages.append({m.captured(2).toDouble(), m.captured(3).toDouble()});
    }
    for (auto it = rotation.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        const int index = m.captured(1).toInt() - 1;
        if (index >= 0 && index < pages.size() && m.captured(2).toInt() % 180 == 90)
            std::swap(pages[index].width, pages[index].height);
    }
    return pages;
}

QList<QImage> renderedPages(const QString& pdf, int dotsPerInch) {
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pages-XXXXXX"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dotsPerInch),
                                     QStringLiteral("-gray"), pdf, dir.filePath("page")});
    QList<QImage> pages;
    const QDir folder(dir.path());
    // pdftoppm pads the page numbers to the width of the last one, so names sort in order.
    for (const QString& name :
         folder.entryList({QStringLiteral("page-*.pgm")}, QDir::Files, QDir::Name)) {
        QImage image(folder.filePath(name));
        if (image.isNull()) ADD_FAILURE() << "page " << name.toStdString() << " did not render";
        pages.append(image.convertToFormat(QImage::Format_Grayscale8));
    }
    if (pages.isEmpty()) ADD_FAILURE() << pdf.toStdString() << " rendered no page";
    return pages;
}

double pageDifference(const QImage& a, const QImage& b) {
    if (std::abs(a.width() - b.width()) > 1 || std::abs(a.height() - b.height()) > 1) return 1;
    const int width = std::min(a.width(), b.width());
    const int height = std::min(a.height(), b.height());
    const QImage ga = a.convertToFormat(QImage::Format_Grayscale8);
    const QImage gb = b.convertToFormat(QImage::Format_Grayscale8);
    qint64 different = 0;
    for (int y = 0; y < height; ++y) {
        const uchar* la = ga.constScanLine(y);
        const uchar* lb = gb.constScanLine(y);
        for (int x = 0; x < width; ++x)
            if (std::abs(int(la[x]) - int(lb[x])) > 64) ++different;
    }
    return width * height == 0 ? 1 : double(different) / (double(width) * height);
}

}  // namespace zxtest

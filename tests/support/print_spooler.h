#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace zxtest {

// One job the spooler finished: the document its queue's back end received, and the job's
// title, copies and options as the spooler passed them.
struct PrintedJob {
    int id = 0;
    QString queue;
    QString title;
    int copies = 0;
    QString options;  // "media=A4 sides=one-sided …"
    QString pdf;      // path of the document
};

// A private CUPS spooler (cupsd) for the life of the object: its configuration, spool, logs and
// socket in a temporary folder of its own, listening on that Unix socket only, with four queues
// whose back end keeps each job's PDF. While it lives the program's print support reaches it
// through CUPS_SERVER, as it would reach any spooler:
//   "ZX-PDF"      the default printer
//   "ZX-OTRA"     a second printer
//   "ZX-PAUSADA"  stopped: it takes jobs and holds them
//   "ZX-RECHAZA"  not accepting jobs
//   "ZX-PROHIBIDA" accepting jobs, from one user who is nobody here
// Nothing outside its folder is written. Raises std::runtime_error, with the spooler's log,
// when it does not start.
class PrintSpooler {
public:
    PrintSpooler();
    ~PrintSpooler();

    static QString defaultQueue() { return QStringLiteral("ZX-PDF"); }

    // The jobs a queue finished so far, oldest first.
    QList<PrintedJob> jobs(const QString& queue) const;
    // Waits up to 20 seconds for a queue to have finished `count` jobs; returns its jobs then.
    QList<PrintedJob> waitForJobs(const QString& queue, int count) const;
    // Jobs of any queue that the spooler holds unfinished (pending, held, processing).
    int unfinishedJobs() const;
    // Finished jobs of every queue together.
    int finishedJobs() const;
    // The spooler's error log, for failure messages.
    QString log() const;
    void stop();

private:
    QString path(const QString& relative) const { return dir_.filePath(relative); }

    QTemporaryDir dir_;
    QProcess cupsd_;
    QByteArray previousServer_;
    bool hadServer_ = false;
    QMap<QByteArray, QByteArray> previousDestination_;
};

// One page of a PDF as pdfinfo (poppler-utils) reports it.
struct PdfPage {
    double width = 0;  // points, as displayed (rotation applied)
    double height = 0;
    bool operator==(const PdfPage& other) const;
};
// The pages of a PDF; fails the test when pdfinfo is missing or refuses the file.
QList<PdfPage> pdfPages(const QString& pdf);

// The pages of a PDF rendered in grey by pdftoppm at `dotsPerInch`; fails the test when the
// file does not render.
QList<QImage> renderedPages(const QString& pdf, int dotsPerInch);
// How far apart two renderings of a page are: the share (0 to 1) of pixels whose grey differs
// by more than a quarter of the scale; 1 when the sizes differ by more than a pixel.
double pageDifference(const QImage& a, const QImage& b);

}  // namespace zxtest

#pragma once

#include "platform/vb/datetime.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

class QDialog;

namespace ui {

// Everything that talks to the operator goes through this one service, so that a test can
// answer it: message boxes, input boxes, file choosers, the date picker and modal forms.
class Operator {
public:
    virtual ~Operator() = default;

    // VB's MsgBox: `style` adds a button code, an icon and a default button (vb::MsgBoxStyle).
    // An empty title shows the program's title. Returns the answer (vb::Answer).
    virtual int msgBox(const QString& text, int style = 0, const QString& title = {}) = 0;
    // VB's InputBox; nothing when the operator cancels.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title = {},
                                            const QString& defaultText = {}) = 0;
    // File choosers; `filter` in the common dialog's form ("Texto |*.txt|Todos |*.*").
    // Nothing when cancelled.
    virtual std::optional<QString> openFile(const QString& title, const QString& filter,
                                            const QString& initialDir = {}) = 0;
    virtual std::optional<QString> saveFile(const QString& title, const QString& filter,
                                            const QString& initialPath = {}) = 0;
    // An open-file chooser that takes several files of one folder at once; their full paths
    // in the order chosen. By default the one-file chooser's choice.
    virtual std::optional<QStringList> openFiles(const QString& title, const QString& filter,
                                                 const QString& initialDir = {});
    // A calendar; nothing when cancelled.
    virtual std::optional<QDate> pickDate(const QDate& initial, const QString& title = {}) = 0;
    // Shows a form modally and returns its result code once it closes.
    virtual int showModal(QDialog& form) = 0;
    // Lets the interface process its events during a long loop (VB's DoEvents).
    virtual void doEvents() = 0;
    // The hourglass pointer on or off.
    virtual void setBusy(bool busy) = 0;
    // Lets the windows repaint during long work without taking the operator's input, which
    // could start the same work again. Nothing by default.
    virtual void repaint() {}
};

// The hourglass pointer for the life of the object, over long work on the one interface
// thread.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

// Between the steps of long work: the windows repaint, every tenth of a second at most, so
// that none is left blank while the work goes on.
void repaintNowAndThen();

// The wall clock, injected so that dates in names, logs and rows are testable.
class Clock {
public:
    virtual ~Clock() = default;
    // The instant now, in the zone the clock shows: for a moment that must stay one (a mail's
    // Date header with its offset, a wait of some seconds across a clock change).
    virtual QDateTime instant() const = 0;
    // What the clock shows now: the reading that rows, file names and logs are dated with.
    vb::DateTime now() const { return vb::wallClock(instant()); }
};

// The workstation's identity as the operating system gives it.
class Station {
public:
    virtual ~Station() = default;
    virtual QString computerName() const = 0;
    // The login name of the user running the program.
    virtual QString userName() const = 0;
};

// The program-wide services. Until one is installed, the operator is a headless one that
// answers nothing and raises; the clock and the station are the system's.
Operator& op();
Clock& clock();
Station& station();

// Install a service (not owned; it must outlive its use). Each returns the previous one.
Operator* setOperator(Operator* service);
Clock* setClock(Clock* service);
Station* setStation(Station* service);

// The system's clock and identity.
class SystemClock : public Clock {
public:
    QDateTime instant() const override;
};

class SystemStation : public Station {
public:
    QString computerName() const override;
    QString userName() const override;
};

}  // namespace ui

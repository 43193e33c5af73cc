#pragma once

#include "platform/vb/vberror.h"

#include <functional>
#include <initializer_list>

namespace vb {

// Answers of a message box.
enum Answer { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// Button, icon and default-button codes of a message box (added together).
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// Asked when a step fails; returns the operator's answer (or the handler's own decision).
using ErrorHandler = std::function<int(const VbError&)>;

// A handler that asks nobody and goes on with the next step ("On Error Resume Next").
ErrorHandler silentHandler();

// Thrown inside a step to leave the procedure at once, without asking anyone
// (VB's "Exit Sub" from the middle of a procedure).
struct ExitProcedure {};

// The Retry/Ignore convention, written once. A procedure runs its statements as steps:
//
//     vb::Steps steps(handler);
//     steps([&] { ... });
//     if (steps.left()) return;
//
// A VbError thrown by a step goes to the handler: Retry runs the step again, Ignore goes on
// with the next step, any other answer leaves the procedure (every later step is skipped).
class Steps {
public:
    explicit Steps(ErrorHandler handler) : handler_(std::move(handler)) {}

    // Runs `step` unless the procedure was left; returns true when it ran to its end.
    bool operator()(const std::function<void()>& step);

    // The procedure was left by an answer other than Retry/Ignore, or by ExitProcedure.
    bool left() const { return left_; }
    // The last answer the handler gave (0 when it was never asked).
    int lastAnswer() const { return lastAnswer_; }
    // The last error a step raised (Number 0 when none did).
    const VbError& lastError() const { return lastError_; }

private:
    ErrorHandler handler_;
    bool left_ = false;
    int lastAnswer_ = 0;
    VbError lastError_;
};

// Runs the steps in order under `handler`; true when the procedure was not left.
bool runSteps(const ErrorHandler& handler, std::initializer_list<std::function<void()>> steps);

}  // namespace vb

#include "platform/ado/sqlitetimeout.h"

#include <sqlite3.h>

#include <algorithm>
#include <thread>

namespace ado {

namespace {

// SQLite's virtual machine steps between two looks at the clock: a few microseconds of work.
constexpr int kStepsBetweenLooks = 1000;

}  // namespace

CommandClock::Scope::Scope(CommandClock& clock)
    : clock_(clock), own_(clock.fromNow()), previous_(clock.command_) {
    clock_.command_ = &own_;
}

CommandClock::Scope::Scope(CommandClock& clock, Deadline& deadline)
    : clock_(clock), previous_(clock.command_) {
    clock_.command_ = &deadline;
}

CommandClock::Scope::~Scope() {
    clock_.command_ = previous_;
}

void CommandClock::watch(sqlite3* db) {
    // Both the wait for another program's lock and the statement itself end at the command's
    // time.
    sqlite3_busy_handler(db, &CommandClock::onBusy, this);
    sqlite3_progress_handler(db, kStepsBetweenLooks, &CommandClock::onProgress, this);
}

void CommandClock::setSeconds(long seconds) {
    // ADO's 0 waits without limit; beyond some weeks is without limit too.
    seconds_ = std::clamp(seconds, 0L, 2000000L);
}

CommandClock::Deadline CommandClock::fromNow() const {
    return Deadline{Clock::now() + std::chrono::seconds(seconds_)};
}

std::optional<CommandClock::Clock::time_point> CommandClock::limit() const {
    if (seconds_ <= 0) return std::nullopt;
    if (command_ && !command_->answering) return command_->at;
    return waitingSince_ + std::chrono::seconds(seconds_);
}

bool CommandClock::pastLimit() {
    if (command_ && command_->passed) return true;
    const std::optional<Clock::time_point> end = limit();
    const bool past = end && Clock::now() >= *end;
    if (command_) command_->passed = past;
    return past;
}

int CommandClock::onProgress(void* self) {
    auto* c = static_cast<CommandClock*>(self);
    // A command that has begun to answer is not cut: its rows are read whole.
    return c->command_ && !c->command_->answering && c->pastLimit() ? 1 : 0;
}

int CommandClock::onBusy(void* self, int count) {
    auto* c = static_cast<CommandClock*>(self);
    if (count == 0) c->waitingSince_ = Clock::now();
    if (c->pastLimit()) return 0;
    // Short looks first, as most locks are let go at once; then every 20 ms.
    auto pause = std::chrono::milliseconds(count < 10 ? 1 + count : 20);
    if (const std::optional<Clock::time_point> end = c->limit()) {
        pause = std::min(pause, std::chrono::ceil<std::chrono::milliseconds>(*end - Clock::now()));
    }
    std::this_thread::sleep_for(pause);
    return 1;
}

}  // namespace ado

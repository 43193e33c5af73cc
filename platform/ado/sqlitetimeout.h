#pragma once

#include <chrono>
#include <optional>

struct sqlite3;

namespace ado {

// The embedded engine's CommandTimeout, kept on SQLite's handle: the statement running past
// its command's time is interrupted, and so is the wait for another program's lock. As SQL
// Server's provider, it ends only a command that has not begun to answer: the execution, a
// sort, a lock wait; once a result's rows flow, their reading is not cut.
class CommandClock {
public:
    using Clock = std::chrono::steady_clock;

    // When a command's time ends, and whether it has. Its time stands still while it answers:
    // from its first row until those rows are read, however long their reading takes.
    struct Deadline {
        Clock::time_point at;
        bool passed = false;
        bool answering = false;
    };

    // One call that runs SQL on the handle, for as long as it lives: its time counts from its
    // start. A call made between the rows of another (by the reader of those rows) has a time
    // of its own.
    class Scope {
    public:
        // A call of its own, its time counted from now.
        explicit Scope(CommandClock& clock);
        // A step of a longer call (the rows of a cursor), on that call's time.
        Scope(CommandClock& clock, Deadline& deadline);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CommandClock& clock_;
        Deadline own_;
        Deadline* const previous_;
    };

    CommandClock() = default;
    CommandClock(const CommandClock&) = delete;
    CommandClock& operator=(const CommandClock&) = delete;

    // Watches the statements and lock waits of `db`, which must not outlive the clock.
    void watch(sqlite3* db);
    // ADO's CommandTimeout in seconds; 0 waits without limit.
    void setSeconds(long seconds);
    long seconds() const { return seconds_; }
    // A command's time, counted from now.
    Deadline fromNow() const;

private:
    // SQLite's callbacks: the one that interrupts a statement past the command's deadline, and
    // the one that waits for another program's lock until that deadline.
    static int onProgress(void* self);
    static int onBusy(void* self, int count);
    // The limit of the running command (or of a lock wait outside one, or while it answers);
    // none for no limit.
    std::optional<Clock::time_point> limit() const;
    bool pastLimit();

    long seconds_ = 30;
    Deadline* command_ = nullptr;     // of the running command; none between commands
    Clock::time_point waitingSince_;  // of a lock wait outside a command
};

}  // namespace ado

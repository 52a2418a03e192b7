// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

struct sqlite3;

namespace solvane {

// Interrupts any statement that runs longer than the limit, so that no query
// can hold the window thread for good: the statement then fails with
// SQLITE_INTERRUPT, which the connection reports as a query stopped for
// running too long. A statement's time counts from the moment it starts to
// run (each statement of a script, and a statement run inside another, has
// its own).
class StatementWatch {
public:
    static constexpr std::chrono::milliseconds kDefaultLimit{10000};

    StatementWatch() = default;
    StatementWatch(const StatementWatch&) = delete;
    StatementWatch& operator=(const StatementWatch&) = delete;

    // Watches every statement of the handle from now on.
    void attach(sqlite3* db);
    // Tests lower it to make a slow statement fail quickly.
    void setLimit(std::chrono::milliseconds limit) { limit_ = limit; }
    std::chrono::milliseconds limit() const { return limit_; }

private:
    static int progress(void* watch);
    static int traced(unsigned type, void* watch, void* statement, void* more);

    std::chrono::milliseconds limit_ = kDefaultLimit;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

} // namespace solvane

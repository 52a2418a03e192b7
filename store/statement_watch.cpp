// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/statement_watch.h"

#include <sqlite3.h>

namespace solvane {

namespace {
// The engine asks whether to go on after this many steps of its machine: a
// few microseconds of work, so a statement is stopped close to its limit.
constexpr int kStepsBetweenChecks = 1000;
} // namespace

void StatementWatch::attach(sqlite3* db) {
    started_ = std::chrono::steady_clock::now();
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &StatementWatch::traced, this);
    sqlite3_progress_handler(db, kStepsBetweenChecks, &StatementWatch::progress, this);
}

int StatementWatch::traced(unsigned type, void* watch, void*, void*) {
    if (type == SQLITE_TRACE_STMT)
        static_cast<StatementWatch*>(watch)->started_ = std::chrono::steady_clock::now();
    return 0;
}

int StatementWatch::progress(void* watch) {
    const auto* self = static_cast<const StatementWatch*>(watch);
    return std::chrono::steady_clock::now() - self->started_ > self->limit_ ? 1 : 0;
}

} // namespace solvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/error.h"

namespace solvane {

// An error the database engine reported (a full disk, an I/O error, the file
// locked by another program...), with the engine's primary result code. When
// it cost the running action its transaction, the action is lost as a whole:
// its owner rolls it back and reads every open data set again.
class StoreError : public Error {
public:
    StoreError(const QString& message, int code) : Error(message), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

// What an engine failure means for the user's work.
enum class FailureMeaning {
    ActionLost, // the running action's changes were not saved
    ChangeLost, // the one change was not saved
    NotRead     // data could not be read
};

} // namespace solvane

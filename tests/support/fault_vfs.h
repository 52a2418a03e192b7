// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace solvane::test {

// A file layer under SQLite that fails writes on purpose: it wraps the
// default layer and is made the default itself, so every connection of the
// process goes through it. Once armed, the N-th call of xWrite, xSync or
// xTruncate (counted from arming) and every later one fail with the chosen
// code, as a disk that has filled up keeps failing, until it is disarmed.
class FaultVfs {
public:
    // Registers the layer once per process and returns it.
    static FaultVfs& install();

    // code: SQLITE_FULL or SQLITE_IOERR.
    void arm(int failAt, int code);
    void disarm();
    // A call failed since the layer was armed.
    bool fired() const { return fired_; }
    // Calls counted since the layer was armed.
    int calls() const { return calls_; }

    // The result of the next counted call: SQLITE_OK or the failure.
    int nextCall(int ioErrorCode);

private:
    FaultVfs() = default;
    bool armed_ = false;
    bool fired_ = false;
    int failAt_ = 0;
    int calls_ = 0;
    int code_ = 0;
};

} // namespace solvane::test

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/resource.h>

namespace solvane::test {

// Makes writes beyond a size fail, as on a disk that takes no more bytes,
// even for root: the process's file-size limit is lowered, and the SIGXFSZ
// signal that would end the process on such a write is ignored, so that the
// write fails with EFBIG ("File too large") instead.

// For this process, while the object lives; the limit and the signal's
// handling are restored however the scope is left.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

// For good, in a child process before it starts its program (from
// QProcess::setChildProcessModifier); only calls that are safe there.
void LimitFileSizeForGood(rlim_t bytes);

} // namespace solvane::test

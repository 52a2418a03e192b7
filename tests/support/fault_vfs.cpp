// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fault_vfs.h"

#include <cstring>
#include <sqlite3.h>

namespace solvane::test {

namespace {

sqlite3_vfs* gReal = nullptr;
sqlite3_vfs gVfs;
FaultVfs* gFaults = nullptr;

// A file of the layer: its own header, then the real layer's file.
struct FaultFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* file) {
    return reinterpret_cast<FaultFile*>(file)->real;
}

int Close(sqlite3_file* f) {
    return Real(f)->pMethods ? Real(f)->pMethods->xClose(Real(f)) : SQLITE_OK;
}
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    const int rc = gFaults->nextCall(SQLITE_IOERR_WRITE);
    return rc != SQLITE_OK ? rc : Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    const int rc = gFaults->nextCall(SQLITE_IOERR_TRUNCATE);
    return rc != SQLITE_OK ? rc : Real(f)->pMethods->xTruncate(Real(f), size);
}
int Sync(sqlite3_file* f, int flags) {
    const int rc = gFaults->nextCall(SQLITE_IOERR_FSYNC);
    return rc != SQLITE_OK ? rc : Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
    return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int lock) {
    return Real(f)->pMethods->xLock(Real(f), lock);
}
int Unlock(sqlite3_file* f, int lock) {
    return Real(f)->pMethods->xUnlock(Real(f), lock);
}
int CheckReservedLock(sqlite3_file* f, int* out) {
    return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
    return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f) {
    return Real(f)->pMethods->xSectorSize(Real(f));
}
int DeviceCharacteristics(sqlite3_file* f) {
    return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) {
    Real(f)->pMethods->xShmBarrier(Real(f));
}
int ShmUnmap(sqlite3_file* f, int deleteFlag) {
    return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag);
}
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return Real(f)->pMethods->xFetch(Real(f), offset, amount, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) {
    return Real(f)->pMethods->xUnfetch(Real(f), offset, page);
}

const sqlite3_io_methods kMethods = {3,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Unlock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     Fetch,
                                     Unfetch};

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* own = reinterpret_cast<FaultFile*>(file);
    own->real = reinterpret_cast<sqlite3_file*>(own + 1);
    own->base.pMethods = nullptr;
    const int rc = gReal->xOpen(gReal, name, own->real, flags, outFlags);
    if (rc == SQLITE_OK)
        own->base.pMethods = &kMethods;
    return rc;
}

} // namespace

FaultVfs& FaultVfs::install() {
    static FaultVfs faults;
    if (!gReal) {
        gFaults = &faults;
        gReal = sqlite3_vfs_find(nullptr);
        gVfs = *gReal;
        gVfs.zName = "solvane-faults";
        gVfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + gReal->szOsFile;
        gVfs.xOpen = Open;
        sqlite3_vfs_register(&gVfs, 1);
    }
    return faults;
}

void FaultVfs::arm(int failAt, int code) {
    armed_ = true;
    fired_ = false;
    failAt_ = failAt;
    calls_ = 0;
    code_ = code;
}

void FaultVfs::disarm() {
    armed_ = false;
}

int FaultVfs::nextCall(int ioErrorCode) {
    if (!armed_)
        return SQLITE_OK;
    if (++calls_ < failAt_)
        return SQLITE_OK;
    fired_ = true;
    return code_ == SQLITE_FULL ? SQLITE_FULL : ioErrorCode;
}

} // namespace solvane::test

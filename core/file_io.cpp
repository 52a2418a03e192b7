// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_io.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace solvane {

QString SystemErrorText(int code) {
    switch (code) {
    case 0:
        return QString();
    case ENOSPC:
        return QStringLiteral("недостаточно места на диске");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("превышена дисковая квота");
#endif
    case EFBIG:
        return QStringLiteral("превышен допустимый размер файла");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав доступа");
    case EROFS:
        return QStringLiteral("диск доступен только для чтения");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    case ENOENT:
        return QStringLiteral("файл или папка не найдены");
    case EISDIR:
        return QStringLiteral("на месте файла находится папка");
    case ENOTDIR:
        return QStringLiteral("часть пути не является папкой");
    case EEXIST:
        return QStringLiteral("файл уже существует");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("открыто слишком много файлов");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя файла");
    default:
        return QString::fromLocal8Bit(std::strerror(code));
    }
}

QString FileErrorReason(const QFileDevice& file) {
    int code = errno;
    if (code == 0 && QFileInfo(file.fileName()).isDir())
        code = EISDIR;
    QString reason = SystemErrorText(code);
    if (reason.isEmpty())
        reason = file.errorString();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return reason.isEmpty() ? QStringLiteral("причина неизвестна") : reason;
}

namespace {

// The permissions a new file gets: those of the regular file it replaces,
// otherwise what the process's file mode mask leaves of read and write for all.
mode_t NewFileMode(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes every byte; false with errno set when the disk takes no more.
bool WriteAll(int fd, const QByteArray& bytes) {
    const char* at = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, at, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        at += written;
        left -= written;
    }
    return true;
}

QString ErrnoReason() {
    const QString reason = SystemErrorText(errno);
    return reason.isEmpty() ? QStringLiteral("причина неизвестна") : reason;
}

} // namespace

QString WriteWholeFile(const QString& fileName, const QByteArray& bytes) {
    const QFileInfo info(fileName);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    QByteArray temporary = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";
    errno = 0;
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return ErrnoReason();
    const auto fail = [&](bool open) {
        const int code = errno;
        if (open)
            ::close(fd);
        ::unlink(temporary.constData());
        errno = code;
        return ErrnoReason();
    };
    // Written and on the disk before it takes the old file's place.
    if (!WriteAll(fd, bytes) || ::fchmod(fd, NewFileMode(target)) != 0 || ::fsync(fd) != 0)
        return fail(true);
    if (::close(fd) != 0)
        return fail(false);
    // rename() replaces the name: a symbolic link is replaced, not followed.
    if (::rename(temporary.constData(), target.constData()) != 0)
        return fail(false);
    return QString();
}

QString NotRegularFileReason(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT ? QStringLiteral("файл не найден") : ErrnoReason();
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("это папка, а не файл");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("это именованный канал (FIFO), а не файл");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QStringLiteral("это устройство, а не файл");
    if (S_ISSOCK(st.st_mode))
        return QStringLiteral("это сокет, а не файл");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("это не обычный файл");
    if (::access(name.constData(), R_OK) != 0)
        return ErrnoReason();
    return QString();
}

QString ReadFileStart(const QString& path, qint64 maxBytes, QByteArray& bytes) {
    bytes.clear();
    QString reason = NotRegularFileReason(path);
    if (!reason.isEmpty())
        return reason;
    // Not waiting on the file even if it was swapped for a FIFO meanwhile;
    // what is opened is checked once more.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return ErrnoReason();
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return QStringLiteral("это не обычный файл");
    }
    QByteArray read(static_cast<qsizetype>(std::min<qint64>(maxBytes, std::max<qint64>(st.st_size, 0))), '\0');
    qint64 got = 0;
    while (got < read.size()) {
        const ssize_t n = ::read(fd, read.data() + got, static_cast<size_t>(read.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            reason = ErrnoReason();
            break;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    if (!reason.isEmpty())
        return reason;
    read.truncate(static_cast<qsizetype>(got));
    bytes = read;
    return QString();
}

} // namespace solvane

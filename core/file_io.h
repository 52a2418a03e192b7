// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace solvane {

// What a failed operation's system error code means, in Russian and in lower
// case, to follow "Не удалось записать файл «…»: ". The common causes (a full
// disk, a file-size limit, no rights, a read-only disk) have their own words;
// another code gives the system's own text. Empty for 0.
QString SystemErrorText(int code);

// Why an operation on the file failed, in the same words and without a final
// full stop. Called right after the failing call, with errno set to 0 before
// it: the system's error code says why (a directory in the file's place,
// refused without a code, counts as such); without a code, the file's own
// text. Never empty.
QString FileErrorReason(const QFileDevice& file);

// Writes the bytes into the file whole or not at all: they go into a new file
// beside it, which takes the old one's place only once all of it is written
// and on the disk. A failed write (a full disk, no rights to make a file
// there) leaves the old file as it was, or no file when there was none. The
// name itself is replaced: a symbolic link of that name becomes a regular
// file, and whatever it pointed to is left alone. Returns an empty text when
// the file is written, otherwise why it is not.
QString WriteWholeFile(const QString& fileName, const QByteArray& bytes);

// Why the path is not a regular file that can be read, in the words that
// follow "Не удалось открыть …: " ("файл не найден", "это папка, а не
// файл", "это именованный канал (FIFO), а не файл", "это устройство, а не
// файл", "нет прав доступа"...), symbolic links being followed first; empty
// for a regular file. Nothing is opened, so a FIFO or a device is never
// waited on.
QString NotRegularFileReason(const QString& path);

// Reads at most maxBytes from the start of a regular file (symbolic links
// followed). A FIFO, a device or a directory is refused without being read
// or waited on. Returns an empty text and fills bytes when the file is read,
// otherwise why not, in the same words as NotRegularFileReason.
QString ReadFileStart(const QString& path, qint64 maxBytes, QByteArray& bytes);

} // namespace solvane

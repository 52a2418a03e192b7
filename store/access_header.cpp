// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/access_header.h"

#include <QFile>

namespace solvane {

bool IsAccessDatabase(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(20);
    static const char kMark[] = {0x00, 0x01, 0x00, 0x00};
    return head.size() == 20 && head.startsWith(QByteArray(kMark, 4)) &&
           (head.mid(4) == QByteArray("Standard Jet DB", 16) || head.mid(4) == QByteArray("Standard ACE DB", 16));
}

} // namespace solvane

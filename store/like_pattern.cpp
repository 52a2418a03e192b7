// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/like_pattern.h"

namespace solvane {

LikePattern::LikePattern(const QString& pattern) {
    const QString folded = pattern.toCaseFolded();
    QString current;
    anchoredStart_ = !(folded.startsWith(QLatin1Char('%')) || folded.startsWith(QLatin1Char('*')));
    anchoredEnd_ = !(folded.endsWith(QLatin1Char('%')) || folded.endsWith(QLatin1Char('*')));
    bool any = false;
    for (const QChar c : folded) {
        if (c == QLatin1Char('%') || c == QLatin1Char('*')) {
            any = true;
            if (!current.isEmpty())
                segments_ << current;
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty() || !any)
        segments_ << current;
}

bool LikePattern::matchesFolded(const QString& text) const {
    if (segments_.isEmpty())
        return true; // only wildcards
    qsizetype pos = 0;
    for (qsizetype i = 0; i < segments_.size(); ++i) {
        const QString& seg = segments_.at(i);
        const bool first = i == 0;
        const bool last = i == segments_.size() - 1;
        if (first && anchoredStart_) {
            if (!text.startsWith(seg))
                return false;
            if (last && anchoredEnd_)
                return text.size() == seg.size();
            pos = seg.size();
            continue;
        }
        if (last && anchoredEnd_) {
            return text.size() - seg.size() >= pos && text.endsWith(seg);
        }
        const qsizetype found = text.indexOf(seg, pos);
        if (found < 0)
            return false;
        pos = found + seg.size();
    }
    return true;
}

} // namespace solvane

// SPDX-License-Identifier: GPL-3.0-or-later
// The data set's cursor: the current row, moves and bookmarks.

#include "store/dataset.h"

#include "store/dataset_internals.h"
#include "core/error.h"

#include <algorithm>

namespace solvane {

int DataSet::currentRow() const {
    if (cursor_ < 0 || cursor_ >= static_cast<int>(visible_.size()))
        return -1;
    return visible_[static_cast<size_t>(cursor_)];
}

void DataSet::setCursor(int visibleIndex) {
    if (visible_.empty()) {
        cursor_ = -1;
        bof_ = eof_ = true;
        return;
    }
    cursor_ = std::clamp(visibleIndex, 0, static_cast<int>(visible_.size()) - 1);
    bof_ = eof_ = false;
}

void DataSet::beforeMove() {
    if (isEditing())
        checkBrowseMode();
}

bool DataSet::isEmpty() const {
    return visible_.empty();
}

int DataSet::recordCount() const {
    return isActive() ? static_cast<int>(visible_.size()) : 0;
}

int DataSet::recNo() const {
    return cursor_ < 0 ? 0 : cursor_ + 1;
}

void DataSet::setRecNo(int recNo) {
    requireActive();
    beforeMove();
    const int old = currentRow();
    setCursor(recNo - 1);
    if (currentRow() != old)
        notify(DataEvent::Scrolled);
}

void DataSet::first() {
    requireActive();
    beforeMove();
    setCursor(0);
    notify(DataEvent::Scrolled);
}

void DataSet::last() {
    requireActive();
    beforeMove();
    setCursor(static_cast<int>(visible_.size()) - 1);
    notify(DataEvent::Scrolled);
}

void DataSet::next() {
    requireActive();
    beforeMove();
    if (cursor_ >= 0 && cursor_ + 1 < static_cast<int>(visible_.size())) {
        ++cursor_;
        bof_ = eof_ = false;
        notify(DataEvent::Scrolled);
    } else {
        eof_ = true;
        if (visible_.empty())
            bof_ = true;
    }
}

void DataSet::prior() {
    requireActive();
    beforeMove();
    if (cursor_ > 0) {
        --cursor_;
        bof_ = eof_ = false;
        notify(DataEvent::Scrolled);
    } else {
        bof_ = true;
        if (visible_.empty())
            eof_ = true;
    }
}

int DataSet::moveBy(int distance) {
    int moved = 0;
    while (distance > 0 && !eof_) {
        const int before = cursor_;
        next();
        if (cursor_ != before)
            ++moved;
        --distance;
    }
    while (distance < 0 && !bof_) {
        const int before = cursor_;
        prior();
        if (cursor_ != before)
            --moved;
        ++distance;
    }
    return moved;
}

Bookmark DataSet::bookmark() const {
    return currentRow();
}

bool DataSet::bookmarkValid(Bookmark bookmark) const {
    return bookmark >= 0 && std::find(visible_.begin(), visible_.end(), bookmark) != visible_.end();
}

void DataSet::gotoBookmark(Bookmark bookmark) {
    requireActive();
    beforeMove();
    auto it = std::find(visible_.begin(), visible_.end(), bookmark);
    if (bookmark < 0 || it == visible_.end())
        throw Error(message(QStringLiteral("Record not found")));
    const int old = currentRow();
    setCursor(static_cast<int>(it - visible_.begin()));
    if (currentRow() != old)
        notify(DataEvent::Scrolled);
}

} // namespace solvane

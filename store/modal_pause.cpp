// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/modal_pause.h"

#include "store/connection.h"

namespace solvane {

ModalPause::ModalPause(Connection* connection) : connection_(connection) {
    if (!connection_)
        return;
    connection_->commitPending();
    savedDepth_ = connection_->actionDepth_;
    savedSerial_ = connection_->actionSerial_;
    savedOpenAtStart_ = connection_->openAtStart_;
    connection_->actionDepth_ = 0;
    connection_->actionSerial_ = 0;
}

ModalPause::~ModalPause() {
    if (!connection_)
        return;
    connection_->actionDepth_ = savedDepth_;
    connection_->actionSerial_ = savedSerial_;
    connection_->openAtStart_ = std::move(savedOpenAtStart_);
}

} // namespace solvane

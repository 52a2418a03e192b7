// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

namespace solvane {

class Connection;
class DataSet;

// Around a modal wait inside an action: commits what the action wrote so far
// (throwing when that fails, so the box is not shown), and lets what runs
// during the wait (a timer, say) own actions of its own. The action goes on
// after the wait with a new transaction.
class ModalPause {
public:
    explicit ModalPause(Connection* connection);
    ~ModalPause();
    ModalPause(const ModalPause&) = delete;
    ModalPause& operator=(const ModalPause&) = delete;

private:
    Connection* connection_;
    int savedDepth_ = 0;
    unsigned long long savedSerial_ = 0;
    std::vector<DataSet*> savedOpenAtStart_;
};

} // namespace solvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/data_source.h"

namespace solvane {

// Disables a data source for the life of the object, so that its controls
// neither repaint nor read while a handler walks its set; it is enabled again
// also when the handler stops on an error (disabling nests, and a source left
// disabled would stay frozen for good).
class DisabledSource {
public:
    explicit DisabledSource(DataSource& source) : source_(source) { source_.disable(); }
    ~DisabledSource() { source_.enable(); }
    DisabledSource(const DisabledSource&) = delete;
    DisabledSource& operator=(const DisabledSource&) = delete;

private:
    DataSource& source_;
};

} // namespace solvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/data_event.h"

namespace solvane {

class DataSource;
class Field;

// A control bound to a data source.
class DataLink {
public:
    virtual ~DataLink() = default;
    virtual void dataEvent(DataEvent event, Field* field) = 0;
    // The source is being destroyed (a window's sources go before its child
    // widgets): the control must forget it and never touch it again.
    virtual void dataSourceDestroyed(DataSource* source) { (void)source; }
};

} // namespace solvane

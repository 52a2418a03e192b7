// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

namespace solvane {

// The options window "Опции": it stands for the options record among the
// program's windows and is never shown; the record itself is the database's.
class OptionsWindow : public Form {
    Q_OBJECT
public:
    explicit OptionsWindow(HandlerGuard& guard);
    ~OptionsWindow() override;
};

} // namespace solvane

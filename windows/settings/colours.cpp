// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/settings/colours.h"

#include "controls/text_contrast.h"

#include <QApplication>
#include <QWidget>
#include <cstdint>

namespace solvane {

namespace {

constexpr std::uint32_t kSystemColourByte = 0x80;

struct SystemColour {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system colour indices and the palette entries nearest to them:
//   0 scroll bar            -> Button           16 button shadow       -> Dark
//   1 desktop               -> Window           17 grey (disabled) text -> Text, disabled group
//   2 active caption        -> Highlight        18 button text         -> ButtonText
//   3 inactive caption      -> Highlight, inactive group
//   4 menu                  -> Window           19 inactive caption text -> HighlightedText, inactive
//   5 window (edit/list)    -> Base             20 button highlight    -> Light
//   6 window frame          -> Shadow           21 3D dark shadow      -> Shadow
//   7 menu text             -> WindowText       22 3D light            -> Midlight
//   8 window text           -> Text             23 tooltip text        -> ToolTipText
//   9 caption text          -> HighlightedText  24 tooltip background  -> ToolTipBase
//  10 active border         -> Window           25 (no colour)
//  11 inactive border       -> Window           26 hot-tracked item    -> Link
//  12 application workspace -> Dark            27 active caption gradient   -> Highlight
//  13 highlight             -> Highlight        28 inactive caption gradient -> Highlight, inactive
//  14 highlighted text      -> HighlightedText  29 menu highlight      -> Highlight
//  15 button face           -> Button           30 menu bar            -> Window
// Every other index names no colour.
constexpr int kSystemColourCount = 31;
const SystemColour* systemColour(int index) {
    using P = QPalette;
    static const SystemColour none{P::Active, P::NoRole};
    static const SystemColour table[kSystemColourCount] = {
        {P::Active, P::Button},
        {P::Active, P::Window},
        {P::Active, P::Highlight},
        {P::Inactive, P::Highlight},
        {P::Active, P::Window},
        {P::Active, P::Base},
        {P::Active, P::Shadow},
        {P::Active, P::WindowText},
        {P::Active, P::Text},
        {P::Active, P::HighlightedText},
        {P::Active, P::Window},
        {P::Active, P::Window},
        {P::Active, P::Dark},
        {P::Active, P::Highlight},
        {P::Active, P::HighlightedText},
        {P::Active, P::Button},
        {P::Active, P::Dark},
        {P::Disabled, P::Text},
        {P::Active, P::ButtonText},
        {P::Inactive, P::HighlightedText},
        {P::Active, P::Light},
        {P::Active, P::Shadow},
        {P::Active, P::Midlight},
        {P::Active, P::ToolTipText},
        {P::Active, P::ToolTipBase},
        none,
        {P::Active, P::Link},
        {P::Active, P::Highlight},
        {P::Inactive, P::Highlight},
        {P::Active, P::Highlight},
        {P::Active, P::Window},
    };
    if (index < 0 || index >= kSystemColourCount || table[index].role == P::NoRole)
        return nullptr;
    return &table[index];
}

QPalette::ColorRole textRoleOn(QPalette::ColorRole background) {
    switch (background) {
    case QPalette::Base:
        return QPalette::Text;
    case QPalette::Button:
        return QPalette::ButtonText;
    default:
        return QPalette::WindowText;
    }
}

} // namespace

bool SystemColourRole(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role) {
    const SystemColour* s = systemColour(index);
    if (!s)
        return false;
    group = s->group;
    role = s->role;
    return true;
}

QColor StoredColour(long long stored, const QPalette& palette) {
    if (stored < static_cast<long long>(INT32_MIN) || stored > static_cast<long long>(UINT32_MAX))
        return QColor();
    const auto value = static_cast<std::uint32_t>(stored);
    const std::uint32_t high = value >> 24;
    if (high == 0)
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    if (high != kSystemColourByte)
        return QColor(); // another kind of value: a palette index, "none", "default"
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    if (!SystemColourRole(static_cast<int>(value & 0xFF), group, role))
        return QColor();
    return palette.color(group, role);
}

void SetWidgetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = widget->palette();
    const QPalette defaults = QApplication::palette(widget);
    const QPalette::ColorRole textRole = textRoleOn(role);
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor background = colour.isValid() ? colour : defaults.color(g, role);
        p.setColor(g, role, background);
        // A background as dark (or as light) as the text would make the
        // text unreadable: the text then turns black or white, whichever
        // stands out; otherwise it keeps the colour it had.
        p.setColor(g, textRole, ReadableTextColour(p.color(g, textRole), background));
    }
    widget->setPalette(p);
    if (role == QPalette::Window)
        widget->setAutoFillBackground(true);
}

} // namespace solvane

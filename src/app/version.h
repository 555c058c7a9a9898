#pragma once

#include <QLatin1StringView>

namespace orrinet {

// Shown in the main window's title and status line and in the About window.
inline constexpr QLatin1StringView kVersionText("Version 2.13");
inline constexpr QLatin1StringView kBuildDate("12-Nov-2006");

} // namespace orrinet

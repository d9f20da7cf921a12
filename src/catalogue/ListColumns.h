#pragma once

// Column numbers of the lists' rows; column 0 is the caption.
namespace ProductColumn {
inline constexpr int PadLink = 1;
inline constexpr int Category = 2;
inline constexpr int Status = 3;
} // namespace ProductColumn

namespace SiteColumn {
inline constexpr int Status = 1; // Auto Submit list
} // namespace SiteColumn

namespace ManualColumn {
inline constexpr int Link = 1;
inline constexpr int Status = 2;
} // namespace ManualColumn

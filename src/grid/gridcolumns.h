#pragma once

// The columns of the domain grid: the domain, the total of its counts, one count per engine in catalogue order
// (engine i in column FirstEngine + i), then an empty filler.
namespace GridColumn {
inline constexpr int Domain = 0;
inline constexpr int Total = 1;
inline constexpr int FirstEngine = 2;
} // namespace GridColumn

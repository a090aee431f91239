// The fixed list of rows that an emitter fills and scrivi_righe writes.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace scenario {

// The reserved row that ends an emitter's content; it is never written.
inline constexpr std::string_view kEndMarker = "riferimento fine del file";

// Rows 0 to 1000, all empty when created; content rows, then the end marker.
struct RowList {
  static constexpr int kRows = 1001;
  std::array<std::string, kRows> rows;

  // Fills rows 0 to n-1 from content and puts the end marker at n (n at most 1000).
  void fill(std::span<const std::string_view> content);
};

}  // namespace scenario

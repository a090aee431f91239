#include "line_reader/curve_classes.h"

#include "source/text_match.h"

namespace scenario {

double curve_keyword_curvature(std::string_view keyword) {
  double k = 0;
  for (int d = 0; d < 6; ++d) {
    if (contains(keyword, std::string_view(&"123456"[d], 1))) {
      k = kCurveClassCurvature[d];
      break;
    }
  }
  if (contains_ci(keyword, "s")) k = -k;
  return k;
}

}  // namespace scenario

#pragma once

// The drawing of orrery cull: a photograph's outline in its relative
// coordinates (u, v), each -1 to 1, with the part the camera sees over it.

#include <string>
#include <utility>
#include <vector>

namespace orrery::tool {

struct CullDrawing {
  std::string title;
  double widthHeightRatio = 1.0; // of the photograph, to draw it in proportion
  bool wrapU = false;            // u is periodic: a visible interval may pass u = 1
  bool empty = true;             // nothing of the photograph is seen
  double minU = 0.0;
  double minV = 0.0;
  double maxU = 0.0;
  double maxV = 0.0;
  // Where the rays along the border of the view meet the photograph, in
  // order; a gap is marked by a pair of NaN.
  std::vector<std::pair<double, double>> viewBorder;
};

std::string cullSvg(const CullDrawing &d);

// Writes the whole text to path; on failure removes what was written and
// throws UsageError naming the option.
void writeFileOrThrow(const std::string &path, const std::string &text, const char *option);

} // namespace orrery::tool

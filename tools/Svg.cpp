#include "tools/Svg.h"

#include "tools/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace orrery::tool {

namespace {

constexpr double kMargin = 60.0;
constexpr double kHeight = 300.0;

// Maps relative coordinates to the drawing, v upwards.
struct Frame {
  double width;
  double x(double u) const { return kMargin + (u + 1.0) * 0.5 * width; }
  double y(double v) const { return kMargin + (1.0 - v) * 0.5 * kHeight; }
};

std::string num(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

std::string rect(const Frame &f, double u0, double v0, double u1, double v1, const char *style) {
  return "  <rect x=\"" + num(f.x(u0)) + "\" y=\"" + num(f.y(v1)) + "\" width=\"" +
         num(f.x(u1) - f.x(u0)) + "\" height=\"" + num(f.y(v0) - f.y(v1)) + "\" " + style + "/>\n";
}

std::string text(double x, double y, const std::string &s, const char *anchor = "middle") {
  return "  <text x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" + anchor + "\">" + s +
         "</text>\n";
}

std::string range(double lo, double hi) {
  char t[128];
  std::snprintf(t, sizeof t, "[%.4f, %.4f]", lo, hi);
  return t;
}

} // namespace

std::string cullSvg(const CullDrawing &d) {
  const double ratio = std::isfinite(d.widthHeightRatio) ? d.widthHeightRatio : 1.0;
  const Frame f{std::clamp(kHeight * ratio, 150.0, 1200.0)};
  const double totalWidth = f.width + 2.0 * kMargin;
  const double totalHeight = kHeight + 2.0 * kMargin + 40.0;
  std::string s = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(totalWidth) +
                  "\" height=\"" + num(totalHeight) + "\" viewBox=\"0 0 " + num(totalWidth) + " " +
                  num(totalHeight) + "\" font-family=\"sans-serif\" font-size=\"13\">\n";
  s += "  <rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  s += text(totalWidth * 0.5, 24.0, d.title);
  // The photograph and its centre lines.
  s += rect(f, -1.0, -1.0, 1.0, 1.0, "fill=\"#eef1f5\" stroke=\"#333\" stroke-width=\"1.5\"");
  s += "  <path d=\"M" + num(f.x(0.0)) + " " + num(f.y(-1.0)) + "V" + num(f.y(1.0)) + "M" +
       num(f.x(-1.0)) + " " + num(f.y(0.0)) + "H" + num(f.x(1.0)) +
       "\" stroke=\"#999\" stroke-dasharray=\"4 4\" fill=\"none\"/>\n";
  s += text(f.x(-1.0), f.y(-1.0) + 18.0, "u = -1");
  s += text(f.x(1.0), f.y(-1.0) + 18.0, "u = 1");
  s += text(f.x(-1.0) - 6.0, f.y(-1.0) + 4.0, "v = -1", "end");
  s += text(f.x(-1.0) - 6.0, f.y(1.0) + 4.0, "v = 1", "end");
  // The visible part; a periodic u interval passing u = 1 continues at -1.
  const char *visible = "fill=\"#2a6fdb\" fill-opacity=\"0.35\" stroke=\"#2a6fdb\" "
                        "stroke-width=\"2\"";
  std::string summary = "nothing of the photograph is in view";
  if (!d.empty) {
    const double v0 = std::max(d.minV, -1.0);
    const double v1 = std::min(d.maxV, 1.0);
    s += rect(f, std::max(d.minU, -1.0), v0, std::min(d.maxU, 1.0), v1, visible);
    if (d.wrapU && d.maxU > 1.0) {
      s += rect(f, -1.0, v0, std::min(d.maxU - 2.0, 1.0), v1, visible);
    }
    summary = "visible u " + range(d.minU, d.maxU) + "   v " + range(d.minV, d.maxV);
  }
  // The border of the view where it meets the photograph.
  std::string path;
  bool pen = false;
  for (const auto &[u, v] : d.viewBorder) {
    if (!std::isfinite(u) || !std::isfinite(v)) {
      pen = false;
      continue;
    }
    path += (pen ? "L" : "M") + num(f.x(u)) + " " + num(f.y(v));
    pen = true;
  }
  if (!path.empty()) {
    s += "  <path d=\"" + path +
         "\" fill=\"none\" stroke=\"#e07b00\" stroke-width=\"1.5\" stroke-dasharray=\"6 3\"/>\n";
  }
  s += text(totalWidth * 0.5, totalHeight - 36.0, summary);
  s += "  <text x=\"" + num(kMargin) + "\" y=\"" + num(totalHeight - 14.0) +
       "\" fill=\"#2a6fdb\">&#9632; visible part</text>\n";
  s += "  <text x=\"" + num(kMargin + 130.0) + "\" y=\"" + num(totalHeight - 14.0) +
       "\" fill=\"#e07b00\">- - border of the view on the photograph</text>\n";
  s += "</svg>\n";
  return s;
}

void writeFileOrThrow(const std::string &path, const std::string &text, const char *option) {
  bool opened = false;
  bool ok = false;
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    opened = static_cast<bool>(file);
    if (opened) {
      file.write(text.data(), static_cast<std::streamsize>(text.size()));
      file.close();
      ok = static_cast<bool>(file);
    }
  }
  if (!ok) {
    if (opened) {
      std::remove(path.c_str());
    }
    throw UsageError(std::string(option) + ": cannot write " + quoted(path));
  }
}

} // namespace orrery::tool

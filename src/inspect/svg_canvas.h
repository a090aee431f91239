// The small SVG writer that the tool's drawings share: numbers, escaping, ticks and shapes.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scenario::svg {

// A number with at most decimals places and no trailing zeros.
inline std::string num(double v, int decimals = 2) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

// Full precision, for the transform that tests read back.
inline std::string exact(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// Escapes text for XML content and attributes.
inline std::string xml(std::string_view utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A tick step of 1, 2 or 5 times a power of ten giving at most max_ticks ticks over span.
inline double tick_step(double span, int max_ticks) {
  if (!(span > 0) || !std::isfinite(span)) return 1;
  double step = std::pow(10.0, std::floor(std::log10(span / max_ticks)));
  for (double f : {1.0, 2.0, 5.0, 10.0}) {
    if (span / (step * f) <= max_ticks) return step * f;
  }
  return step * 10;
}

// The multiples of step from lo to hi, at most max_count of them. Each is computed from its
// index rather than summed, so that a step too small to change a huge value cannot stall the
// loop; a span that would need more than max_count gives none, as does a value that is not
// finite.
inline std::vector<double> ticks(double lo, double hi, double step, int max_count) {
  std::vector<double> out;
  if (!std::isfinite(lo) || !std::isfinite(hi) || !std::isfinite(step) || !(step > 0)) return out;
  const double first = std::ceil(lo / step - 1e-9), last = std::floor(hi / step + 1e-9);
  if (!(last - first < max_count)) return out;
  for (double i = first; i <= last; ++i) out.push_back(i * step);
  return out;
}

// "1 station", "2 stations".
inline std::string count(size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// The page that the tool's drawings share: its width and the column of the panels.
inline constexpr double kPageWidth = 1200;
inline constexpr double kLeft = 80;
inline constexpr double kRight = 1160;
inline constexpr double kPlotWidth = kRight - kLeft;
inline constexpr const char* kGridColour = "#e3e6ea";
inline constexpr const char* kAxisColour = "#555";
inline constexpr const char* kStationColour = "#c0392b";

// A panel of the page: a box across the plot column.
struct Panel {
  double top, height;
  double bottom() const { return top + height; }
};

// A colour as an attribute value, quotes included.
inline std::string colour(const char* c) { return std::string("\"") + c + "\""; }

// Collects the elements of one drawing.
class Svg {
 public:
  void raw(const std::string& s) { out_ += s; }
  void line(double x1, double y1, double x2, double y2, const std::string& style) {
    out_ += "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" +
            num(y2) + "\" " + style + "/>\n";
  }
  void rect(double x, double y, double w, double h, const std::string& style) {
    out_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(w) + "\" height=\"" +
            num(h) + "\" " + style + "/>\n";
  }
  void circle(double x, double y, double r, const std::string& style) {
    out_ += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"" + num(r) + "\" " + style +
            "/>\n";
  }
  void text(double x, double y, const std::string& utf8, const std::string& attrs = "") {
    out_ += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"" + (attrs.empty() ? "" : " ") + attrs +
            ">" + xml(utf8) + "</text>\n";
  }
  void polyline(const std::vector<std::pair<double, double>>& pts, const std::string& style) {
    if (pts.empty()) return;
    out_ += "<polyline " + style + " points=\"";
    for (size_t i = 0; i < pts.size(); ++i) {
      if (i) out_ += ' ';
      out_ += num(pts[i].first) + "," + num(pts[i].second);
    }
    out_ += "\"/>\n";
  }
  void triangle(double x, double y, double size, const std::string& style) {
    out_ += "<polygon points=\"" + num(x) + "," + num(y - size) + " " + num(x - size) + "," +
            num(y + size * 0.8) + " " + num(x + size) + "," + num(y + size * 0.8) + "\" " + style +
            "/>\n";
  }
  const std::string& str() const { return out_; }

  // The whole document: white page, the shared styles and extra_style, then the elements.
  std::string document(double width, double height, const std::string& title,
                       const std::string& extra_style) const {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(width) + "\" height=\"" +
           num(height) + "\" viewBox=\"0 0 " + num(width) + " " + num(height) +
           "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\" font-size=\"11\">\n";
    out += "<title>" + xml(title) + "</title>\n";
    out +=
        "<style>.title{font-size:18px;font-weight:bold}.title2{font-size:13px;font-weight:bold;"
        "fill:#333}.axis{font-size:12px;fill:#333}.small{font-size:10px;fill:#333}"
        ".km{fill:#7b241c}"
        ".station{font-size:11px;fill:#7b241c;paint-order:stroke;stroke:white;stroke-width:3px}" +
        extra_style + "</style>\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    out += out_;
    out += "</svg>\n";
    return out;
  }

 private:
  std::string out_;
};

}  // namespace scenario::svg

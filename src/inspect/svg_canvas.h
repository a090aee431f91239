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
  if (!(span > 0)) return 1;
  double step = std::pow(10.0, std::floor(std::log10(span / max_ticks)));
  for (double f : {1.0, 2.0, 5.0, 10.0}) {
    if (span / (step * f) <= max_ticks) return step * f;
  }
  return step * 10;
}

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

 private:
  std::string out_;
};

}  // namespace scenario::svg

// The small SVG writer that the tool's drawings share: numbers, escaping, ticks and shapes.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <span>
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

// How wide a text is drawn, estimated on the safe side: 0.72 em a character (DejaVu Sans's
// capitals average 0.68 em), 0.8 em in bold. Characters are counted in UTF-8.
inline double text_width(std::string_view utf8, double size, bool bold = false) {
  double chars = 0;
  for (const char c : utf8) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return chars * size * (bold ? 0.8 : 0.72);
}

enum class Anchor { kStart, kMiddle, kEnd };

inline const char* anchor_name(Anchor a) {
  return a == Anchor::kStart ? "start" : a == Anchor::kMiddle ? "middle" : "end";
}

// A text's box on the page: its rectangle (0.85 em above the baseline, 0.3 em below, more than
// the font's ascent and descent), turned with the text, as four corners.
struct TextBox {
  std::array<std::pair<double, double>, 4> p;
  double min_x() const { return std::min({p[0].first, p[1].first, p[2].first, p[3].first}); }
  double max_x() const { return std::max({p[0].first, p[1].first, p[2].first, p[3].first}); }
  double min_y() const { return std::min({p[0].second, p[1].second, p[2].second, p[3].second}); }
  double max_y() const { return std::max({p[0].second, p[1].second, p[2].second, p[3].second}); }
};

// The box of a text of `width` drawn at (x, y) with its anchor, turned by `degrees` about
// (x, y) as SVG's rotate() turns it (clockwise on the page).
inline TextBox text_box(double x, double y, double width, double size, Anchor anchor,
                        double degrees = 0) {
  const double a0 = anchor == Anchor::kStart ? 0 : anchor == Anchor::kMiddle ? -width / 2 : -width;
  const double r = degrees * 3.14159265358979323846 / 180, c = std::cos(r), s = std::sin(r);
  const double xs[2] = {a0, a0 + width}, ys[2] = {-0.85 * size, 0.3 * size};
  TextBox b;
  const int order[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i) {
    const double u = xs[order[i][0]], v = ys[order[i][1]];
    b.p[static_cast<size_t>(i)] = {x + u * c - v * s, y + u * s + v * c};
  }
  return b;
}

// Whether two convex outlines (of 2 to 4 corners) share any point: no axis along an edge's
// normal separates them.
inline bool outlines_meet(std::span<const std::pair<double, double>> a,
                          std::span<const std::pair<double, double>> b) {
  const auto separated_along = [&](std::span<const std::pair<double, double>> poly) {
    for (size_t i = 0; i < poly.size(); ++i) {
      const auto& p = poly[i];
      const auto& q = poly[(i + 1) % poly.size()];
      const double nx = q.second - p.second, ny = p.first - q.first;
      if (nx == 0 && ny == 0) continue;
      double amin = INFINITY, amax = -INFINITY, bmin = INFINITY, bmax = -INFINITY;
      for (const auto& v : a) {
        const double d = v.first * nx + v.second * ny;
        amin = std::min(amin, d), amax = std::max(amax, d);
      }
      for (const auto& v : b) {
        const double d = v.first * nx + v.second * ny;
        bmin = std::min(bmin, d), bmax = std::max(bmax, d);
      }
      if (amax <= bmin || bmax <= amin) return true;
    }
    return false;
  };
  return !separated_along(a) && !separated_along(b);
}

inline bool boxes_meet(const TextBox& a, const TextBox& b) {
  if (a.max_x() <= b.min_x() || b.max_x() <= a.min_x() || a.max_y() <= b.min_y() ||
      b.max_y() <= a.min_y()) {
    return false;
  }
  return outlines_meet(a.p, b.p);
}

// The room for the labels of one part of a drawing: a label is kept when its box lies within
// the region and meets no label kept before nor any obstacle (a symbol, a line). Boxes are
// kept in columns of the page, so a query looks only at its neighbours; after `max_tries`
// queries every further label is refused, which bounds the work on a crafted file whatever
// the number of items (the refused ones keep their <title>).
class LabelSpace {
 public:
  LabelSpace(double x0, double y0, double x1, double y1, size_t max_tries = 4000)
      : x0_(x0), y0_(y0), x1_(x1), y1_(y1), max_tries_(max_tries) {}

  // Something that labels keep off: a box, or a stretch of line (a segment of two corners).
  void block(const TextBox& b) { add(shape_of(b)); }
  void block_segment(double xa, double ya, double xb, double yb) {
    Shape s;
    s.p = {std::pair{xa, ya}, std::pair{xb, yb}, std::pair{xa, ya}, std::pair{xb, yb}};
    s.corners = 2;
    s.x0 = std::min(xa, xb), s.x1 = std::max(xa, xb), s.y0 = std::min(ya, yb),
    s.y1 = std::max(ya, yb);
    add(s);
  }

  // Whether a stretch of line would cross no label kept so far (obstacles aside).
  bool segment_clear(double xa, double ya, double xb, double yb) const {
    const std::array<std::pair<double, double>, 2> seg{std::pair{xa, ya}, std::pair{xb, yb}};
    const double x0 = std::min(xa, xb), x1 = std::max(xa, xb);
    const double y0 = std::min(ya, yb), y1 = std::max(ya, yb);
    for (size_t c = column(x0); c <= column(x1); ++c) {
      for (const size_t i : columns_[c]) {
        const Shape& o = shapes_[i];
        if (!o.label || o.x1 <= x0 || x1 <= o.x0 || o.y1 <= y0 || y1 <= o.y0) continue;
        if (outlines_meet(seg, std::span(o.p.data(), o.corners))) return false;
      }
    }
    return true;
  }

  // Keeps b and returns true when it fits.
  bool take(const TextBox& b) {
    if (tries_ >= max_tries_) return false;
    ++tries_;
    if (b.min_x() < x0_ || b.max_x() > x1_ || b.min_y() < y0_ || b.max_y() > y1_) return false;
    const Shape s = shape_of(b);
    for (size_t c = column(s.x0); c <= column(s.x1); ++c) {
      for (const size_t i : columns_[c]) {
        const Shape& o = shapes_[i];
        if (o.x1 <= s.x0 || s.x1 <= o.x0 || o.y1 <= s.y0 || s.y1 <= o.y0) continue;
        if (outlines_meet(std::span(s.p.data(), 4), std::span(o.p.data(), o.corners))) {
          return false;
        }
      }
    }
    Shape l = s;
    l.label = true;
    add(l);
    return true;
  }

 private:
  struct Shape {
    std::array<std::pair<double, double>, 4> p;
    size_t corners = 4;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool label = false;
  };
  static constexpr double kColumn = 24;
  static constexpr size_t kColumns = 256;  // 6,144 px: wider than any page drawn

  static Shape shape_of(const TextBox& b) {
    Shape s;
    s.p = b.p;
    s.x0 = b.min_x(), s.x1 = b.max_x(), s.y0 = b.min_y(), s.y1 = b.max_y();
    return s;
  }
  static size_t column(double x) {
    if (!(x > 0)) return 0;
    return std::min(static_cast<size_t>(x / kColumn), kColumns - 1);
  }
  void add(const Shape& s) {
    if (!std::isfinite(s.x0) || !std::isfinite(s.x1)) return;
    shapes_.push_back(s);
    for (size_t c = column(s.x0); c <= column(s.x1); ++c) columns_[c].push_back(shapes_.size() - 1);
  }

  double x0_, y0_, x1_, y1_;
  size_t max_tries_;
  size_t tries_ = 0;
  std::vector<Shape> shapes_;
  std::array<std::vector<size_t>, kColumns> columns_;
};

// Collects the elements of one drawing.
class Svg {
 public:
  void raw(const std::string& s) { out_ += s; }
  void line(double x1, double y1, double x2, double y2, const std::string& style) {
    out_ += "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" +
            num(y2) + "\" " + style + "/>\n";
  }
  // A tooltip: with a title, the shape carries it as a <title> child.
  void rect(double x, double y, double w, double h, const std::string& style,
            const std::string& title = "") {
    out_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(w) + "\" height=\"" +
            num(h) + "\" " + style + closing("rect", title);
  }
  void circle(double x, double y, double r, const std::string& style,
              const std::string& title = "") {
    out_ += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"" + num(r) + "\" " + style +
            closing("circle", title);
  }
  void text(double x, double y, const std::string& utf8, const std::string& attrs = "") {
    out_ += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"" + (attrs.empty() ? "" : " ") + attrs +
            ">" + xml(utf8) + "</text>\n";
  }
  // A text placed where `box` (from text_box) says: anchor and turn as the box was made.
  void label(double x, double y, const std::string& utf8, Anchor anchor, double degrees,
             const std::string& attrs) {
    std::string a = attrs + " text-anchor=\"" + anchor_name(anchor) + "\"";
    if (degrees != 0) {
      a += " transform=\"rotate(" + num(degrees) + " " + num(x) + " " + num(y) + ")\"";
    }
    text(x, y, utf8, a);
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
  static std::string closing(const char* element, const std::string& title) {
    if (title.empty()) return "/>\n";
    return "><title>" + xml(title) + "</title></" + element + ">\n";
  }
  std::string out_;
};

}  // namespace scenario::svg

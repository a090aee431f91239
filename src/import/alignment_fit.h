// Fits the plan of a mapped railway line into the line source's curve rows, such that the plan
// the compile builds from them lies on the mapped track, and maps distances along the mapped
// track to route positions. Pure geometry on coordinates already projected to metres: no map
// format and no projection here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scenario {

// A point of a plane projection, in metres: x grows to the east, y to the north (any
// conformal projection whose scale is close to 1 along the line, such as transverse Mercator
// on the line's own meridian).
struct PlanePoint {
  double x = 0;
  double y = 0;
};

// One curve row of the line source, as the line reader takes it: keyword "curva" with the hand
// letter ("s" left, "d" right) and the sharpness digit, then start and length.
struct CurveRow {
  int32_t start = 0;    // route position where the plan starts turning, metres
  int32_t length = 0;   // metres of route over which it turns, one turn step per metre
  int curve_class = 1;  // the keyword's sharpness digit, 1 to 6
  bool left = false;    // true: "curvas" (turns left); false: "curvad" (turns right)
};

// The keyword of a curve row: "curvas2", "curvad4".
std::string curve_keyword(const CurveRow& row);

// The plan's turn per metre of a curve class as the line reader applies it, in radians per
// metre before the hand's sign (class 1 0.0001 ... class 6 0.003); 0 outside 1 to 6.
double curve_class_curvature(int curve_class);

struct CurveFitOptions {
  // Spacing of the resampled track, metres along it.
  double resample_step = 5;
  // Standard deviation of the Gaussian smoothing along the track, metres: enough to average a
  // mapper's few metres of node noise, little against arcs of a few hundred metres.
  double smoothing = 40;
  // Shortest straight or arc the segmentation of the curvature diagram keeps, metres.
  double min_piece = 60;
  // An arc whose curvature is below this (radians per metre) is written as straight: half the
  // gentlest class.
  double straight_curvature = 0.00005;
  // An arc whose radius lies between two classes is written as the nearest class while the
  // plan stays within this many metres of its middle; beyond, as alternating rows of the two
  // neighbouring classes whose mean turn is the arc's.
  double class_tolerance = 3;
};

// One piece of the segmented curvature diagram of the mapped track.
struct CurvePiece {
  double from = 0;       // distance along the input polyline, metres
  double to = 0;         // same
  double curvature = 0;  // radians per metre, positive to the right; 0 for a straight
  double turn = 0;       // change of heading over the piece, radians, positive to the right
};

// Per curve class: what the rows of that class cover.
struct CurveClassStats {
  int curve_class = 0;  // 1 to 6
  int rows = 0;
  int64_t length = 0;  // metres of route
};

// Distances along the mapped track against route positions (the compiled plan's metres),
// both growing together; between knots, linear.
class RouteMap {
 public:
  RouteMap() = default;
  // Knots in ascending order of both values.
  RouteMap(std::vector<double> path_distance, std::vector<double> route_position);

  // The route position of a point at this distance along the input polyline, metres; clamped
  // to the ends of the path.
  double route_position(double path_distance) const;
  // The distance along the input polyline of a route position, metres; clamped likewise.
  double path_distance(double route_position) const;
  bool empty() const { return path_.empty(); }

 private:
  std::vector<double> path_;
  std::vector<double> route_;
};

// Where the compiled plan lies on the map: the plan's metre 0 at origin, and its starting
// direction (the plan's axis 1) turned by rotation radians anticlockwise from north.
struct PlanFrame {
  PlanePoint origin;
  double rotation = 0;
};

struct CurveFit {
  std::vector<CurveRow> rows;            // in ascending order of start, none overlapping
  std::vector<CurvePiece> pieces;        // the segmentation the rows come from
  std::vector<CurveClassStats> classes;  // one entry per class used
  PlanFrame frame;
  RouteMap map;
  double path_length = 0;   // length of the input polyline, metres (noise makes it long)
  double track_length = 0;  // length of the smoothed track, metres
  // Route position of the path's end, metres: the longest route length the path supports.
  int32_t route_end = 0;
  // Distance between the compiled plan and the smoothed mapped track, metres, over route
  // positions 0 to route_end (both ways: each plan metre to the track and each track point to
  // the plan): the greatest, where it is, and the mean.
  double max_offset = 0;
  double max_offset_at = 0;  // route position, metres
  double mean_offset = 0;
};

// Fits curve rows to a path: the mapped track in route order from the origin, one point per
// node as mapped, noise included (consecutive duplicates are allowed). Throws
// std::invalid_argument for fewer than two distinct points, a non-finite coordinate, or a
// path longer than the line reader's route (1,000 km).
CurveFit fit_curves(const std::vector<PlanePoint>& path, const CurveFitOptions& options = {});

// The rows of a route cut to route_length: rows starting at or past it left out, a row
// running past it shortened to end there.
std::vector<CurveRow> rows_up_to(const std::vector<CurveRow>& rows, int32_t route_length);

// The plan that the compile builds from curve rows, route positions 0 to route_length, as
// the line reader computes it (metre 0 at the origin heading along +y), turned and moved by
// frame onto the map. One point per route metre.
std::vector<PlanePoint> compiled_plan(const std::vector<CurveRow>& rows, int32_t route_length,
                                      const PlanFrame& frame = {});

// Greatest and mean distance from each point of plan to the polyline track, and from each
// vertex of track to the polyline plan, metres; at: the plan index of the greatest (or of the
// plan point nearest the track vertex where that is the greatest).
struct PlanOffset {
  double max = 0;
  double mean = 0;
  int64_t at = 0;
};
PlanOffset plan_offset(const std::vector<PlanePoint>& plan, const std::vector<PlanePoint>& track);

}  // namespace scenario

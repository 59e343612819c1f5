// Reading unknowns off a fitted line (a standard curve): Y for an X typed
// without Y, X for each Y typed without X, flagged when the X lies outside
// the X range of the points the line was fitted to.
#pragma once

#include <vector>

#include "data/number_text.h"

namespace vextal {

struct DataTable;

/// slope * x + intercept.
long double PredictY(long double slope, long double intercept, long double x);
/// (y - intercept) / slope; MissingValue when the slope is 0 (a flat line
/// gives no X for a Y).
long double PredictX(long double slope, long double intercept, long double y);

struct StandardCurveEntry {
    long double X = MissingValue;  // missing when it cannot be read off a flat line
    long double Y = MissingValue;
    bool Outside = false;          // X beyond the curve's X range
};

struct StandardCurve {
    long double MinX = MissingValue;  // X range of the rows holding X and Y
    long double MaxX = MissingValue;
    std::vector<StandardCurveEntry> Entries;  // in table order
    bool AnyOutside = false;
};

/// The unknowns of the table read off the line y = slope * x + intercept.
StandardCurve ComputeStandardCurve(const DataTable& table, long double slope, long double intercept);

}  // namespace vextal

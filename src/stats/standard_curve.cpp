#include "stats/standard_curve.h"

#include <algorithm>

#include "stats/xy_rows.h"

namespace vextal {

long double PredictY(long double slope, long double intercept, long double x) { return slope * x + intercept; }

long double PredictX(long double slope, long double intercept, long double y) {
    if (slope == 0) return MissingValue;
    return (y - intercept) / slope;
}

StandardCurve ComputeStandardCurve(const DataTable& table, long double slope, long double intercept) {
    const std::vector<XYRow> rows = ReadXYRows(table);
    StandardCurve curve;
    for (const XYRow& row : rows) {
        if (!row.HasData()) continue;
        curve.MinX = IsMissing(curve.MinX) ? row.X : std::min(curve.MinX, row.X);
        curve.MaxX = IsMissing(curve.MaxX) ? row.X : std::max(curve.MaxX, row.X);
    }
    const auto outside = [&curve](long double x) {
        return !IsMissing(x) && !IsMissing(curve.MinX) && (x < curve.MinX || x > curve.MaxX);
    };
    for (const XYRow& row : rows) {
        if (!IsMissing(row.X) && row.Y.empty()) {
            curve.Entries.push_back({row.X, PredictY(slope, intercept, row.X), outside(row.X)});
        } else if (IsMissing(row.X)) {
            for (long double y : row.Y) {
                const long double x = PredictX(slope, intercept, y);
                curve.Entries.push_back({x, y, outside(x)});
            }
        }
    }
    for (const StandardCurveEntry& entry : curve.Entries) curve.AnyOutside = curve.AnyOutside || entry.Outside;
    return curve;
}

}  // namespace vextal

// The rows of an XY table as the regression reads them: X from the first
// analysis column, the Y replicates from every other analysis column.
#pragma once

#include <vector>

#include "data/number_text.h"

namespace vextal {

struct DataTable;

struct XYRow {
    int Row = 0;
    long double X = MissingValue;  // missing for an unknown read off a curve
    std::vector<long double> Y;    // the Y values present, in column order
    bool HasData() const { return !IsMissing(X) && !Y.empty(); }
};

/// Every row 0..LastRow that holds X or a Y, in table order.
std::vector<XYRow> ReadXYRows(const DataTable& table);

}  // namespace vextal

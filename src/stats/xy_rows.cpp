#include "stats/xy_rows.h"

#include "data/data_table.h"

namespace vextal {

std::vector<XYRow> ReadXYRows(const DataTable& table) {
    std::vector<XYRow> rows;
    const int lastColumn = ColumnCountForAnalysis(table);
    for (int row = 0; row <= table.LastRow; ++row) {
        XYRow xy;
        xy.Row = row;
        xy.X = GetValue(table, row, 0);
        for (int column = 1; column <= lastColumn; ++column) {
            const long double y = GetValue(table, row, column);
            if (!IsMissing(y)) xy.Y.push_back(y);
        }
        if (!IsMissing(xy.X) || !xy.Y.empty()) rows.push_back(std::move(xy));
    }
    return rows;
}

}  // namespace vextal

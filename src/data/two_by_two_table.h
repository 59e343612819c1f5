// The counts and titles of a two-by-two contingency table. Its title is the
// document's DocumentTitle.
#pragma once

#include <string>
#include <vector>

#include "data/number_text.h"

namespace vextal {

inline constexpr int SecondStoreRows = 500;
inline constexpr int SecondStoreColumns = 2;

struct TwoByTwoTable {
    long double A = MissingValue;  // row 1, column 1
    long double B = MissingValue;  // row 1, column 2
    long double C = MissingValue;  // row 2, column 1
    long double D = MissingValue;  // row 2, column 2
    std::string Column1Title;
    std::string Column2Title;
    std::string Row1Title;
    std::string Row2Title;
    // A second cell store, SecondStoreRows x SecondStoreColumns, row-major;
    // created and cleared together with the table.
    std::vector<long double> SecondStore =
        std::vector<long double>(SecondStoreRows * SecondStoreColumns, MissingValue);
};

/// All four counts missing, all titles empty, the second store emptied.
void ClearTwoByTwo(TwoByTwoTable& table);

}  // namespace vextal

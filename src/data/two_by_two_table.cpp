#include "data/two_by_two_table.h"

#include <algorithm>

namespace vextal {

void ClearTwoByTwo(TwoByTwoTable& table) {
    table.A = table.B = table.C = table.D = MissingValue;
    table.Column1Title.clear();
    table.Column2Title.clear();
    table.Row1Title.clear();
    table.Row2Title.clear();
    table.SecondStore.assign(SecondStoreRows * SecondStoreColumns, MissingValue);
}

}  // namespace vextal

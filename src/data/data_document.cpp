#include "data/data_document.h"

namespace vextal {

DataDocument NewDocument() {
    DataDocument document;
    ClearDocument(document);
    return document;
}

void ClearDocument(DataDocument& document) {
    ClearAll(document.Table);
    document.Table.DocumentTitle.clear();
    ClearTwoByTwo(document.TwoByTwo);
    document.Table.SummaryEntered.fill(true);
}

}  // namespace vextal

// Helpers of the XY analysis tests: a document from rows of numbers, a
// relative comparison, and a search for a run of report lines.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

#include "../report/table_text.h"
#include "data/data_document.h"
#include "data/data_table.h"

inline constexpr long double Empty = vextal::MissingValue;

// Rows of {X, Y1, Y2, ...}; Empty leaves a cell blank.
inline vextal::DataDocument XYDocument(std::initializer_list<std::initializer_list<long double>> rows) {
    vextal::DataDocument document = vextal::NewDocument();
    document.State.Format = vextal::DataFormat::XYData;
    int row = 0;
    for (const auto& cells : rows) {
        int column = 0;
        for (long double value : cells) {
            if (!vextal::IsMissing(value)) vextal::SetValue(document.Table, row, column, value);
            ++column;
        }
        ++row;
    }
    return document;
}

inline void ExpectClose(long double expected, long double actual, long double relative) {
    EXPECT_LE(std::fabs(actual - expected), relative * std::fabs(expected))
        << "expected " << static_cast<double>(expected) << ", got " << static_cast<double>(actual);
}

// The lines of `block` appear one after another somewhere in the report.
inline void ExpectBlock(const std::string& text, const Lines& block) {
    const Lines lines = ShownLines(text);
    if (std::search(lines.begin(), lines.end(), block.begin(), block.end()) != lines.end()) return;
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    ADD_FAILURE() << "block starting \"" << block.front() << "\" not in the report:\n" << all;
}

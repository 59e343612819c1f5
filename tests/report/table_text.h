// Report text as lines for table tests: CR LF removed, style markers spelt
// [b], [u] and [i] so that their places are checked too.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/report_writer.h"

using Lines = std::vector<std::string>;

inline Lines ShownLines(const std::string& text) {
    Lines lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const unsigned char lead = static_cast<unsigned char>(c);
        if (lead >= 0xC2 && lead <= 0xF4) {  // a whole UTF-8 character: its later bytes are no markers
            const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            lines.back() += text.substr(i, length);
            i += length - 1;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lines.emplace_back();
            ++i;
        } else if (c == vextal::BoldMarker) {
            lines.back() += "[b]";
        } else if (c == vextal::UnderlineMarker) {
            lines.back() += "[u]";
        } else if (c == vextal::ItalicMarker) {
            lines.back() += "[i]";
        } else {
            lines.back() += c;
        }
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

inline void ExpectLines(const std::string& text, const Lines& expected) {
    const Lines lines = ShownLines(text);
    EXPECT_EQ(expected.size(), lines.size()) << "number of lines";
    for (std::size_t i = 0; i < expected.size() && i < lines.size(); ++i)
        EXPECT_EQ(expected[i], lines[i]) << "line " << i + 1;
}

// Whole reports of `vextal-cli report` compared byte for byte with reviewed
// golden files.
//
// Every tests/golden/<name>.args holds the arguments after `report`, one per
// line; @examples@ and @golden@ stand for the examples folder and the
// tests/golden folder. The expected plain-text output is tests/golden/<name>.txt.
//
// To regenerate the expected files after an intended change of a report, run
// the test with VEXTAL_UPDATE_GOLDEN=1 in the environment: each .txt is then
// rewritten from the current output instead of compared. Review the diff
// before keeping it.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace vextal;

namespace {

const std::filesystem::path GoldenDir = std::filesystem::path(VEXTAL_TEST_DATA_DIR) / "golden";

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::vector<std::string> ReadArgs(const std::filesystem::path& path) {
    std::vector<std::string> args{"report"};
    std::istringstream lines(ReadAll(path));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        ReplaceAll(line, "@examples@", VEXTAL_EXAMPLES_DIR);
        ReplaceAll(line, "@golden@", GoldenDir.string());
        args.push_back(line);
    }
    return args;
}

std::vector<std::filesystem::path> ArgsFiles() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(GoldenDir))
        if (entry.path().extension() == ".args") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool Updating() {
    const char* flag = std::getenv("VEXTAL_UPDATE_GOLDEN");
    return flag != nullptr && std::string(flag) == "1";
}

// The first line where two texts differ, for a readable failure.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected), a(actual);
    std::string el, al;
    for (int line = 1;; ++line) {
        const bool moreE = static_cast<bool>(std::getline(e, el));
        const bool moreA = static_cast<bool>(std::getline(a, al));
        if (!moreE && !moreA) return "texts differ only in line endings";
        if (!moreE || !moreA || el != al)
            return "line " + std::to_string(line) + "\n  expected: " + (moreE ? el : "<end>") +
                   "\n  actual:   " + (moreA ? al : "<end>");
    }
}

}  // namespace

TEST(CliGoldenReports, EveryReportMatchesItsReviewedText) {
    const auto files = ArgsFiles();
    ASSERT_FALSE(files.empty()) << "no .args files in " << GoldenDir;
    for (const auto& argsFile : files) {
        SCOPED_TRACE(argsFile.filename().string());
        std::ostringstream out, err;
        const int code = RunCli(ReadArgs(argsFile), out, err);
        EXPECT_EQ(CliSuccess, code) << err.str();
        EXPECT_EQ("", err.str());
        auto expectedFile = argsFile;
        expectedFile.replace_extension(".txt");
        if (Updating()) {
            std::ofstream(expectedFile, std::ios::binary) << out.str();
            continue;
        }
        ASSERT_TRUE(std::filesystem::exists(expectedFile)) << expectedFile << " is missing";
        const std::string expected = ReadAll(expectedFile);
        EXPECT_TRUE(expected == out.str()) << FirstDifference(expected, out.str());
    }
}

// The golden inputs must stay readable and keep their analysis: a report that
// turned into a message would still match a carelessly regenerated file.
TEST(CliGoldenReports, NoGoldenReportIsOnlyAMessage) {
    for (const auto& argsFile : ArgsFiles()) {
        SCOPED_TRACE(argsFile.filename().string());
        auto expectedFile = argsFile;
        expectedFile.replace_extension(".txt");
        const std::string text = ReadAll(expectedFile);
        EXPECT_EQ(std::string::npos, text.find("Until you enter data"));
        EXPECT_EQ(std::string::npos, text.find("must be selected"));
    }
}

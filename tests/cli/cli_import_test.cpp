// The command-line tool on text files: report, stats and import read CSV,
// TAB-separated and fixed-width files through the import rules.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "data/document_file.h"

using namespace vextal;

namespace {

struct CliRun {
    int code;
    std::string out, err;
};

CliRun Cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

std::string Example(const std::string& name) { return std::string(VEXTAL_EXAMPLES_DIR) + "/" + name; }

std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("vextal_cli_import_" + std::to_string(::getpid()) + "_" + name);
}

// The numbers after every `"key": ` in a JSON text, in order.
std::vector<long double> JsonNumbers(const std::string& json, const std::string& key) {
    std::vector<long double> numbers;
    const std::string marker = "\"" + key + "\": ";
    for (auto at = json.find(marker); at != std::string::npos; at = json.find(marker, at + 1))
        numbers.push_back(std::strtold(json.c_str() + at + marker.size(), nullptr));
    return numbers;
}

void ExpectNear(const std::vector<long double>& actual, const std::vector<long double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(static_cast<double>(actual[i]), static_cast<double>(expected[i]), 1e-9 * std::fabs(expected[i]));
}

}  // namespace

TEST(CliTextFiles, StatsOfASpreadsheetCsvMatchAnIndependentComputation) {
    const CliRun run = Cli({"stats", Example("cholesterol.csv"), "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("\"title\": \"Low-fat diet\", \"n\": 8"), std::string::npos);
    EXPECT_NE(run.out.find("\"title\": \"Usual diet\", \"n\": 7"), std::string::npos);
    // Computed apart from the program: mean, sample SD, SD/sqrt(N), and the
    // mean -+ t SEM with the two-tailed 5% t of the program's table, 2.365
    // for 7 df and 2.447 for 6 df.
    ExpectNear(JsonNumbers(run.out, "mean"), {187.5L, 210.85714285714286L});
    ExpectNear(JsonNumbers(run.out, "sd"), {11.35152601446796L, 9.299257522845062L});
    ExpectNear(JsonNumbers(run.out, "sem"), {4.013370510822899L, 3.5147889689992255L});
    ExpectNear(JsonNumbers(run.out, "median"), {186.5L, 210});
    ExpectNear(JsonNumbers(run.out, "ci_lower"), {178.00837874190384L, 202.25645425000175L});
    ExpectNear(JsonNumbers(run.out, "ci_upper"), {196.99162125809616L, 219.45783146428397L});
}

TEST(CliTextFiles, ImportSavesADataFileThatReadsBackTheSame) {
    const auto output = TempPath("cholesterol.vxd");
    const CliRun run = Cli({"import", Example("cholesterol.csv"), "-o", output.string()});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(ReadFileKind(output.string()), 1);
    EXPECT_EQ(Cli({"stats", output.string(), "--json"}).out, Cli({"stats", Example("cholesterol.csv"), "--json"}).out);

    // A fixed-width file as XY data: the report is a regression.
    const auto fixed = TempPath("ages.prn");
    std::ofstream(fixed) << "Age and pressure\n  21.0  118.5\n  35.5  124\n  47    131.75\n  62.0  140.0\n";
    const auto xy = TempPath("ages.vxd");
    ASSERT_EQ(Cli({"import", fixed.string(), "--format", "xy", "-o", xy.string()}).code, 0);
    EXPECT_EQ(ReadFileKind(xy.string()), 6);
    const CliRun report = Cli({"report", fixed.string(), "--format=xy", "--json"});
    ASSERT_EQ(report.code, 0) << report.err;
    EXPECT_NE(report.out.find("\"format\": 6"), std::string::npos);
    EXPECT_NE(report.out.find("egression"), std::string::npos);

    // Averaged data: mean, SD and N in the first three rows.
    const auto averaged = TempPath("means.txt");
    std::ofstream(averaged) << "Control\tTreated\r\n10\t12\r\n2\t3\r\n8\t9\r\n";
    const CliRun stats = Cli({"stats", averaged.string(), "--format", "sd", "--json"});
    ASSERT_EQ(stats.code, 0) << stats.err;
    ExpectNear(JsonNumbers(stats.out, "mean"), {10, 12});
    ExpectNear(JsonNumbers(stats.out, "sem"), {2 / std::sqrt(8.0L), 1});

    for (const auto& path : {output, fixed, xy, averaged}) std::filesystem::remove(path);
}

TEST(CliTextFiles, ArgumentAndFileMistakes) {
    const CliRun unknown = Cli({"stats", Example("cholesterol.csv"), "--format", "pie"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_NE(unknown.err.find("unknown format 'pie'"), std::string::npos);
    EXPECT_EQ(Cli({"report", Example("raw_data.vxd"), "--format", "xy"}).code, 2) << "a data file has its own format";
    EXPECT_EQ(Cli({"import", Example("cholesterol.csv")}).code, 2) << "no -o";

    const CliRun missing = Cli({"stats", "/nonexistent/folder/data.csv"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_NE(missing.err.find("Error: #2  File not found."), std::string::npos);

    const auto binary = TempPath("binary.csv");
    std::ofstream(binary) << "Title\n1,2\n\xff\xfe\n";
    const CliRun refused = Cli({"report", binary.string()});
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("The file is not an ASCII file."), std::string::npos);
    std::filesystem::remove(binary);

    EXPECT_FALSE(ParseCliFormat("RAW").has_value());
}

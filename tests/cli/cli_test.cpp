#include "cli/cli.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/column_stats_output.h"
#include "report/json_value.h"

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

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("vextal_cli_test_" + std::to_string(::getpid()) + "_" + name);
}

}  // namespace

TEST(CliArguments, HelpVersionAndMistakes) {
    EXPECT_EQ(0, Cli({}).code);
    EXPECT_NE(std::string::npos, Cli({"--help"}).out.find("stats FILE [--json]"));
    EXPECT_EQ("vextal-cli 3.06\n", Cli({"--version"}).out);
    const CliRun unknown = Cli({"frobnicate"});
    EXPECT_EQ(2, unknown.code);
    EXPECT_NE(std::string::npos, unknown.err.find("unknown command 'frobnicate'"));
    EXPECT_EQ(2, Cli({"stats"}).code);
    EXPECT_EQ(2, Cli({"convert", Example("raw_data.vxd")}).code) << "no -o";
}

TEST(CliStats, TextAndJsonOfARawDataFile) {
    const CliRun text = Cli({"stats", Example("raw_data.vxd")});
    ASSERT_EQ(0, text.code) << text.err;
    EXPECT_NE(std::string::npos, text.out.find("Column A: Placebo\n"));
    EXPECT_NE(std::string::npos, text.out.find("  Sample size (N)             7\n"));
    EXPECT_NE(std::string::npos, text.out.find("  Mean                        5.843\n"));

    const CliRun json = Cli({"stats", Example("raw_data.vxd"), "--json"});
    ASSERT_EQ(0, json.code) << json.err;
    EXPECT_EQ('[', json.out.front());
    EXPECT_NE(std::string::npos, json.out.find("{\"column\": \"A\", \"title\": \"Placebo\", \"n\": 7, "
                                               "\"mean\": 5.8428571428571428"));
    EXPECT_EQ(std::string::npos, json.out.find("1.7e+38")) << "missing values are null";
}

TEST(CliStats, UnreadableFilesGiveTheProgramsMessage) {
    const CliRun missing = Cli({"stats", "/nonexistent/folder/none.vxd"});
    EXPECT_EQ(2, missing.code);
    EXPECT_NE(std::string::npos, missing.err.find("The file is not an Vextal data file."));

    const auto foreign = TempPath("foreign.vxd");
    std::ofstream(foreign) << "name,value\nx,1\n";
    EXPECT_EQ(2, Cli({"stats", foreign.string()}).code);

    const auto newer = TempPath("newer.vxd");
    std::ofstream(newer) << "Vextal data file\r\n3.01\r\n1\r\n\r\n\r\n\r\n\r\n*,\r\n<<END RAW DATA>>\r\n";
    const CliRun tooNew = Cli({"stats", newer.string()});
    EXPECT_EQ(2, tooNew.code);
    EXPECT_NE(std::string::npos, tooNew.err.find("created by a newer version of Vextal."));
    std::filesystem::remove(foreign);
    std::filesystem::remove(newer);
}

TEST(CliConvert, RoundTripOfEveryExampleIsByteForByte) {
    for (const auto& entry : std::filesystem::directory_iterator(VEXTAL_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".vxd") continue;  // text samples for import
        const auto output = TempPath(entry.path().filename().string());
        const CliRun run = Cli({"convert", entry.path().string(), "-o", output.string()});
        ASSERT_EQ(0, run.code) << entry.path() << run.err;
        EXPECT_EQ(ReadAll(entry.path().string()), ReadAll(output.string())) << entry.path();
        std::filesystem::remove(output);
    }
    const CliRun failed = Cli({"convert", Example("raw_data.vxd"), "-o", "/nonexistent/folder/out.vxd"});
    EXPECT_EQ(1, failed.code);
    EXPECT_NE(std::string::npos, failed.err.find("Error: #3  Path not found."));
}

TEST(CliJson, NumbersAndStrings) {
    EXPECT_EQ("null", JsonNumberText(MissingValue));
    EXPECT_EQ("2.5", JsonNumberText(2.5L));
    EXPECT_EQ("0.100000000000000000001", JsonNumberText(0.1L));
    EXPECT_EQ("\"a\\\"b\\\\c\\n\\u0001\"", JsonStringText("a\"b\\c\n\x01"));
}

TEST(CliReport, EveryExampleAsTextAndJson) {
    for (const auto& entry : std::filesystem::directory_iterator(VEXTAL_EXAMPLES_DIR)) {
        const std::string file = entry.path().string();
        const CliRun text = Cli({"report", file, "--time", "2026-12-08 10:00:00"});
        ASSERT_EQ(0, text.code) << file << text.err;
        EXPECT_NE(std::string::npos, text.out.find("*     *     *")) << file;
        EXPECT_EQ(std::string::npos, text.out.find('\x80')) << "markers are removed";
        const CliRun json = Cli({"report", file, "--json", "--time", "2026-12-08 10:00:00"});
        ASSERT_EQ(0, json.code) << file;
        EXPECT_EQ(0u, json.out.find("{\n  \"format\": ")) << file;
        EXPECT_NE(std::string::npos, json.out.find("\"calc_error\": 0,")) << file;
        EXPECT_NE(std::string::npos, json.out.find("\"values\": {\n")) << file << json.out;
    }
    const CliRun bad = Cli({"report", Example("raw_data.vxd"), "--set", "PostTestMethod=7"});
    EXPECT_EQ(2, bad.code);
    EXPECT_NE(std::string::npos, bad.err.find("PostTestMethod expects a whole number from 0 to 4"));
    EXPECT_EQ(2, Cli({"report", Example("raw_data.vxd"), "--set", "Nonsense=1"}).code);
    const CliRun marked = Cli({"report", Example("raw_data.vxd"), "--markers"});
    EXPECT_NE(std::string::npos, marked.out.find('\x81')) << "underline markers kept on request";
}

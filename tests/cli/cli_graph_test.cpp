#include "cli/cli.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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
    return std::filesystem::temp_directory_path() / ("vextal_cli_graph_" + std::to_string(::getpid()) + "_" + name);
}

std::string Head(const std::filesystem::path& path, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// Skips the test in a build without Qt, where graph only says so.
bool GraphAvailable() {
    const CliRun probe = Cli({"graph", Example("raw_data.vxd"), "-o", TempPath("probe.svg").string()});
    std::filesystem::remove(TempPath("probe.svg"));
    return probe.err.find("not available in this build") == std::string::npos;
}

}  // namespace

TEST(CliGraph, WritesEachFileKindByItsExtension) {
    if (!GraphAvailable()) GTEST_SKIP() << "built without Qt";
    const auto svg = TempPath("raw.svg");
    const auto png = TempPath("xy.png");
    const auto pdf = TempPath("table.pdf");
    CliRun run = Cli({"graph", Example("raw_data.vxd"), "-o", svg.string(), "--error-bars", "sem"});
    ASSERT_EQ(0, run.code) << run.err;
    const std::string text = Head(svg, 1 << 20);
    EXPECT_NE(std::string::npos, text.find("<svg"));
    EXPECT_NE(std::string::npos, text.find("Mean and Standard Error"));

    run = Cli({"graph", Example("xy_standard_curve.vxd"), "-o", png.string(), "--size", "400x300"});
    ASSERT_EQ(0, run.code) << run.err;
    EXPECT_EQ("\x89PNG", Head(png, 4));
    EXPECT_GT(std::filesystem::file_size(png), 3000u);

    run = Cli({"graph", Example("two_by_two.vxd"), "-o", pdf.string(), "--by", "rows"});
    ASSERT_EQ(0, run.code) << run.err;
    EXPECT_EQ("%PDF", Head(pdf, 4));

    // The residuals of a multiple regression are chosen with '*'.
    run = Cli({"graph", Example("multiple_regression.vxd"), "-o", svg.string(), "--set", "MRGraphY=*"});
    ASSERT_EQ(0, run.code) << run.err;
    EXPECT_NE(std::string::npos, Head(svg, 1 << 20).find("Residuals"));
    for (const auto& path : {svg, png, pdf}) std::filesystem::remove(path);
}

TEST(CliGraph, RefusesBadArgumentsAndUnwritableFiles) {
    EXPECT_EQ(2, Cli({"graph", Example("raw_data.vxd")}).code) << "no -o";
    EXPECT_EQ(2, Cli({"graph", Example("raw_data.vxd"), "-o", "x.svg", "--by", "diagonal"}).code);
    EXPECT_EQ(2, Cli({"graph", Example("raw_data.vxd"), "-o", "x.svg", "--size", "10x10"}).code);
    EXPECT_EQ(0, Cli({"graph", "--help"}).code);
    if (!GraphAvailable()) GTEST_SKIP() << "built without Qt";
    EXPECT_EQ(2, Cli({"graph", Example("raw_data.vxd"), "-o", TempPath("graph.wmf").string()}).code);
    EXPECT_EQ(2, Cli({"graph", "/nonexistent/none.vxd", "-o", TempPath("graph.png").string()}).code);
    const CliRun unwritable = Cli({"graph", Example("raw_data.vxd"), "-o", "/nonexistent/folder/graph.png"});
    EXPECT_EQ(1, unwritable.code);
    EXPECT_NE(std::string::npos, unwritable.err.find("/nonexistent/folder/graph.png"));
}

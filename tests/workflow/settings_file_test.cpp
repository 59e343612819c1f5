#include "workflow/settings_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vextal;
namespace fs = std::filesystem;

namespace {

const ProgramSettings Defaults = DefaultProgramSettings(',', "/opt/vextal");

ProgramSettings Sample() {
    ProgramSettings settings{',', "/home/ann/data", "/home/ann/import", true, 800, 600, {}};
    settings.RecentFiles[0] = "/home/ann/data/growth.VXD";
    settings.RecentFiles[1] = "/home/ann/data/with blanks & more.VXD";
    return settings;
}

std::string FileText(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

} // namespace

TEST(SettingsText, WritesTheKeyNamesWithCrLfAndReadsThemBack) {
    const std::string text = WriteSettingsText(Sample());
    EXPECT_EQ("[Options]\r\nDecimalSeparator=,\r\nVextal folder=/home/ann/data\r\nImport folder=/home/ann/import\r\n"
              "ShowNewUserHints=T\r\n\r\n[WindowSize]\r\nWidth=800\r\nHeight=600\r\n\r\n[Filenames]\r\n"
              "#1=/home/ann/data/growth.VXD\r\n#2=/home/ann/data/with blanks & more.VXD\r\n"
              "#3=\r\n#4=\r\n#5=\r\n#6=\r\n#7=\r\n#8=\r\n#9=\r\n",
              text);
    EXPECT_EQ(Sample(), ReadSettingsText(text, Defaults));

    // Blanks at either end survive in quotes; a path that would break the line
    // (and could forge keys) is stored empty.
    ProgramSettings odd = Sample();
    odd.VextalFolder = " /data/lead ";
    odd.ImportFolder = "\"quoted\"";
    odd.RecentFiles[2] = "/tmp/a\n[WindowSize]\nWidth=1";
    odd.RecentFiles[3] = std::string("/tmp/nul\0x", 10);
    const ProgramSettings read = ReadSettingsText(WriteSettingsText(odd), Defaults);
    odd.RecentFiles[2].clear();
    odd.RecentFiles[3].clear();
    EXPECT_EQ(odd, read);
}

TEST(SettingsText, ReadsLfOrCrLfAnyCaseAndKeepsDefaultsForWhatIsMissing) {
    const std::string lf = "\xEF\xBB\xBF; by hand\n[options]\n  decimalseparator = . \n[WINDOWSIZE]\nwidth=1024\n"
                           "Height = 700\n[Filenames]\n;#1=/commented.VXD\n#1=/a.VXD\n#1=/ignored.VXD\n#9=/i.VXD";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ProgramSettings expected = Defaults;
    expected.DecimalSeparator = '.';
    expected.Width = 1024;
    expected.Height = 700;
    expected.RecentFiles[0] = "/a.VXD";
    expected.RecentFiles[8] = "/i.VXD";
    EXPECT_EQ(expected, ReadSettingsText(lf, Defaults));
    EXPECT_EQ(expected, ReadSettingsText(crlf, Defaults));

    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    for (const std::string& text : {garbage, std::string(), std::string("[Options"), std::string("=\n[]\n=x")})
        EXPECT_EQ(Defaults, ReadSettingsText(text, Defaults));
}

TEST(SettingsText, SeparatorAndSizeValues) {
    const auto read = [](const std::string& section, const std::string& line) {
        return ReadSettingsText("[" + section + "]\n" + line + "\n", DefaultProgramSettings('.', ""));
    };
    EXPECT_EQ('.', read("Options", "DecimalSeparator=.").DecimalSeparator);
    EXPECT_EQ(',', read("Options", "DecimalSeparator=,").DecimalSeparator);
    EXPECT_EQ(',', read("Options", "DecimalSeparator=;").DecimalSeparator);  // any other text
    EXPECT_EQ(',', read("Options", "DecimalSeparator=").DecimalSeparator);
    EXPECT_EQ(1280, read("WindowSize", "Width=1280").Width);
    for (const char* bad : {"Width=-640", "Width=12px", "Width=99999999999"})
        EXPECT_EQ(0, read("WindowSize", bad).Width) << bad;
}

TEST(SettingsText, RewriteKeepsForeignEntriesAndIsStable) {
    const std::string previous = "; my notes\r\n[Options]\r\nDecimalSeparator=.\r\nColour=blue\r\n\r\n"
                                 "[Printer]\r\nName=Office\r\n";
    const std::string text = WriteSettingsText(Sample(), previous);
    EXPECT_EQ(0u, text.find("; my notes\r\n[Options]\r\nDecimalSeparator=,\r\nColour=blue\r\n"
                            "Vextal folder=/home/ann/data\r\n"));
    EXPECT_NE(std::string::npos, text.find("\r\n\r\n[Printer]\r\nName=Office\r\n\r\n[WindowSize]\r\n"));
    EXPECT_EQ(Sample(), ReadSettingsText(text, Defaults));
    EXPECT_EQ(text, WriteSettingsText(Sample(), text));
}

TEST(SettingsFile, MissingUnreadableOrOversizedFileGivesDefaultsWriteIsAtomic) {
    char pattern[] = "/tmp/vextal-settings-XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(pattern));
    const fs::path folder = pattern;
    EXPECT_EQ(Defaults, ReadSettingsFile((folder / "absent.ini").string(), Defaults));
    EXPECT_EQ(Defaults, ReadSettingsFile(folder.string(), Defaults));  // a folder
    std::ofstream(folder / "large.ini") << "[WindowSize]\nWidth=900\nHeight=900\n" << std::string(2 << 20, ';');
    EXPECT_EQ(Defaults, ReadSettingsFile((folder / "large.ini").string(), Defaults));

    // Missing folders are made; a rewrite keeps the file's mode and leaves no
    // temporary file; a link to the file stays a link.
    const fs::path path = folder / "Corvanta Software" / "Vextal" / "3.06" / SettingsFileName;
    ASSERT_EQ(0, WriteSettingsFile(path.string(), Sample()));
    EXPECT_EQ(WriteSettingsText(Sample()), FileText(path));
    ::chmod(path.c_str(), 0640);
    fs::create_symlink(path, folder / "linked.ini");
    ProgramSettings changed = Sample();
    changed.Width = 1200;
    ASSERT_EQ(0, WriteSettingsFile((folder / "linked.ini").string(), changed));
    EXPECT_TRUE(fs::is_symlink(folder / "linked.ini"));
    EXPECT_EQ(changed, ReadSettingsFile(path.string(), Defaults));
    struct stat info {};
    ASSERT_EQ(0, ::stat(path.c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777u);
    EXPECT_EQ(1, std::distance(fs::directory_iterator(path.parent_path()), fs::directory_iterator()));

    // A folder that cannot be made is reported and nothing is left behind.
    std::ofstream(folder / "plain") << "x";
    EXPECT_NE(0, WriteSettingsFile((folder / "plain" / SettingsFileName).string(), Sample()));
    EXPECT_EQ("x", FileText(folder / "plain"));
    fs::remove_all(folder);
}

// The program's settings file "vextal.ini": an ini-style text with the
// sections Options, WindowSize and Filenames.
//
// Reading is forgiving: LF or CR LF line ends, a UTF-8 byte-order mark,
// section and key names in any letter case, blanks around names and values,
// ";" comment lines. A key that is absent, or a file that is missing or
// unreadable, leaves the caller's default. Writing uses CR LF, keeps any
// sections, keys and comments of the previous file that this program does not
// own, and replaces the file atomically (temporary file, then rename).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vextal {

/// Number of entries in the recent-file list.
inline constexpr int RecentFileCount = 9;

/// Recent files, most recent first: element 0 is entry "#1". Empty strings
/// are unused entries.
using RecentFileList = std::array<std::string, RecentFileCount>;

inline constexpr const char* SettingsFileName = "vextal.ini";

struct ProgramSettings {
    char DecimalSeparator = '.';
    std::string VextalFolder;  // last folder a data file was opened from or saved to
    std::string ImportFolder;  // last folder text was imported from
    bool ShowNewUserHints = false;  // the guide window was opened during the run
    int Width = 0;   // main window size in pixels; 0 = not stored
    int Height = 0;
    RecentFileList RecentFiles;

    bool operator==(const ProgramSettings&) const = default;
};

/// The settings before any file is read: the system's decimal separator and
/// both folders at `programFolder`.
ProgramSettings DefaultProgramSettings(char systemDecimalSeparator, const std::string& programFolder);

/// The settings stored in `text`; every key not found keeps its value from
/// `defaults`. DecimalSeparator "." gives '.', any other text ','. Width and
/// Height that are not whole numbers in 0..2^31-1 read as 0.
ProgramSettings ReadSettingsText(std::string_view text, const ProgramSettings& defaults);

/// The settings file text for `settings`, merged into `previousText` (the
/// file as it was; empty for a new file). Recent-file paths that contain a
/// line break or a NUL cannot be stored in one line and are written empty.
std::string WriteSettingsText(const ProgramSettings& settings, std::string_view previousText = {});

/// Reads the file at `path`; a missing or unreadable file gives `defaults`.
ProgramSettings ReadSettingsFile(const std::string& path, const ProgramSettings& defaults);

/// Writes `settings` to `path` (merged into the present file, if any)
/// through a temporary file in the same folder that replaces the old file
/// only when it was written completely. A symbolic link at `path` is kept
/// and its target replaced. Returns an errno value, 0 on success.
int WriteSettingsFile(const std::string& path, const ProgramSettings& settings);

/// The main window size at start: the stored size when both dimensions are
/// positive, each capped at the screen's; else 640 x 480.
struct WindowSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const WindowSize&) const = default;
};
WindowSize StartWindowSize(const ProgramSettings& settings, int screenWidth, int screenHeight);

} // namespace vextal

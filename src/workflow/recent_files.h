// The recent-file list of the File menu: nine entries, most recent first.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "workflow/settings_file.h"

namespace vextal {

/// True when both texts name the same path after lexical normalisation
/// ("/a//b/./c" and "/a/b/c"). Letter case counts, as it does for the file
/// system.
bool SameFilePath(const std::string& first, const std::string& second);

/// Puts `path` first: an entry for the same path is removed (the entries
/// after it move up), the others move down one place and the ninth falls
/// off. An empty path changes nothing.
void AddRecentFile(RecentFileList& list, const std::string& path);

struct RecentMenuItem {
    int Number = 0;        // the entry's number, 1 to 9
    std::string Path;
    std::string Caption;   // "&", the number, a blank and the path ("&" in the path doubled)
};

/// One menu item per non-empty entry, in list order.
std::vector<RecentMenuItem> RecentMenuItems(const RecentFileList& list);

enum class RecentFileAction {
    Nothing,         // an empty entry
    ActivateWindow,  // a document window already shows Path
    OpenFile,        // open Path
    FileNotFound,    // show "File not found."; the list stays as it is
};

struct RecentFileChoice {
    RecentFileAction Action = RecentFileAction::Nothing;
    std::string Path;
};

/// What choosing the entry `entry` does. A path without a folder is looked
/// for in `programFolder`. `hasWindow` tells whether a document window shows
/// a path; `fileExists` whether a file exists.
RecentFileChoice ChooseRecentFile(const std::string& entry, const std::string& programFolder,
                                  const std::function<bool(const std::string&)>& hasWindow,
                                  const std::function<bool(const std::string&)>& fileExists);

} // namespace vextal

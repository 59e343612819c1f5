#include "workflow/recent_files.h"

#include <algorithm>
#include <filesystem>

namespace vextal {

bool SameFilePath(const std::string& first, const std::string& second) {
    if (first == second)
        return true;
    if (first.empty() || second.empty())
        return false;
    namespace fs = std::filesystem;
    return fs::path(first).lexically_normal() == fs::path(second).lexically_normal();
}

void AddRecentFile(RecentFileList& list, const std::string& path) {
    if (path.empty())
        return;
    auto last = std::find_if(list.begin(), list.end(),
                             [&](const std::string& entry) { return SameFilePath(entry, path); });
    if (last == list.end())
        last = list.end() - 1;  // no equal entry: the ninth falls off
    std::move_backward(list.begin(), last, last + 1);
    list.front() = path;
}

std::vector<RecentMenuItem> RecentMenuItems(const RecentFileList& list) {
    std::vector<RecentMenuItem> items;
    for (std::size_t index = 0; index < list.size(); ++index) {
        if (list[index].empty())
            continue;
        RecentMenuItem item;
        item.Number = static_cast<int>(index) + 1;
        item.Path = list[index];
        item.Caption = {'&', static_cast<char>('0' + item.Number), ' '};  // numbers 1 to 9
        for (char c : item.Path) {
            item.Caption += c;
            if (c == '&')
                item.Caption += '&';
        }
        items.push_back(std::move(item));
    }
    return items;
}

RecentFileChoice ChooseRecentFile(const std::string& entry, const std::string& programFolder,
                                  const std::function<bool(const std::string&)>& hasWindow,
                                  const std::function<bool(const std::string&)>& fileExists) {
    if (entry.empty())
        return {};
    std::string path = entry;
    if (!std::filesystem::path(entry).has_parent_path() && !programFolder.empty())
        path = (std::filesystem::path(programFolder) / entry).string();
    if (hasWindow && (hasWindow(entry) || hasWindow(path)))
        return {RecentFileAction::ActivateWindow, hasWindow(entry) ? entry : path};
    if (fileExists && fileExists(path))
        return {RecentFileAction::OpenFile, path};
    return {RecentFileAction::FileNotFound, path};
}

} // namespace vextal

#include "workflow/recent_files.h"

#include <gtest/gtest.h>

#include <set>

using namespace vextal;

TEST(RecentFiles, ReopenedFileMovesToTheTopAndTheNinthFallsOff) {
    RecentFileList list;
    for (const char* path : {"/d/a.VXD", "/d/b.VXD", "/d/c.VXD", "/d/a.VXD", "/d/a.VXD"})
        AddRecentFile(list, path);
    EXPECT_EQ((RecentFileList{"/d/a.VXD", "/d/c.VXD", "/d/b.VXD"}), list);

    // Another spelling of the same path is the same entry; another letter
    // case is another file.
    AddRecentFile(list, "/d/./sub/../b.VXD");
    AddRecentFile(list, "/d/C.VXD");
    AddRecentFile(list, "");
    EXPECT_EQ((RecentFileList{"/d/C.VXD", "/d/./sub/../b.VXD", "/d/a.VXD", "/d/c.VXD"}), list);

    list = {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"};
    AddRecentFile(list, "/10");
    EXPECT_EQ((RecentFileList{"/10", "/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"}), list);
    AddRecentFile(list, "/8");  // the last one moves up; nothing falls off
    EXPECT_EQ((RecentFileList{"/8", "/10", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}), list);
}

TEST(RecentFiles, MenuItemsAndChoosingAnEntry) {
    RecentFileList list;
    list[0] = "/data/R&D.VXD";
    list[2] = "/data/third.VXD";
    const std::vector<RecentMenuItem> items = RecentMenuItems(list);
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ("&1 /data/R&&D.VXD", items[0].Caption);
    EXPECT_EQ("/data/R&D.VXD", items[0].Path);
    EXPECT_EQ("&3 /data/third.VXD", items[1].Caption);

    const std::set<std::string> windows = {"/data/open.VXD"};
    const std::set<std::string> files = {"/data/open.VXD", "/data/closed.VXD", "/opt/vextal/SAMPLE.VXD"};
    const auto choose = [&](const std::string& entry) {
        return ChooseRecentFile(
            entry, "/opt/vextal", [&](const std::string& path) { return windows.count(path) > 0; },
            [&](const std::string& path) { return files.count(path) > 0; });
    };
    EXPECT_EQ(RecentFileAction::ActivateWindow, choose("/data/open.VXD").Action);
    EXPECT_EQ(RecentFileAction::OpenFile, choose("/data/closed.VXD").Action);
    const RecentFileChoice bare = choose("SAMPLE.VXD");  // no folder: the program's folder
    EXPECT_EQ(RecentFileAction::OpenFile, bare.Action);
    EXPECT_EQ("/opt/vextal/SAMPLE.VXD", bare.Path);
    EXPECT_EQ(RecentFileAction::FileNotFound, choose("/data/gone.VXD").Action);
    EXPECT_EQ(RecentFileAction::Nothing, choose("").Action);
}

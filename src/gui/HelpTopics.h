// The pages of the built-in help: which topic number opens which page, the
// page's title and the heading it is listed under on the contents page.
// Plain data, so that tests and the menus can walk it without a window.
#pragma once

#include <span>
#include <string_view>

/// One help page. Topic is the number a help button or menu item asks for;
/// 0 for pages reached only through links, the contents and the search.
struct HelpPage {
    int Topic;
    const char* File;    // file name inside the help resources
    const char* Title;   // the page's <title> and its entry in the contents
    const char* Section; // heading of the contents group it belongs to
};

/// The topic opened by Help > Contents (F1), and for any unknown number.
inline constexpr int HelpContentsTopic = 1;

/// Every help page, in the order of the contents.
std::span<const HelpPage> HelpPages();

/// The page of a topic number, or nullptr when no page has that number.
const HelpPage* FindHelpTopic(int topic);

/// The page stored under a file name ("one-way-anova.html"), or nullptr.
const HelpPage* FindHelpFile(std::string_view file);

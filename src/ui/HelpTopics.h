#pragma once
// Where each help context number leads in the operator's manual: the manual is a set of HTML
// pages in the program folder's "Help/", and a topic is a page and a named anchor in it.

#include <span>
#include <string>

namespace dilato::ui {

inline constexpr const char* kHelpFolder = "Help/";
inline constexpr const char* kHelpContentsPage = "index.html";

struct HelpTopic {
    int contextNumber;
    const char* page;   // file name inside the help folder
    const char* anchor; // <a name="..."> in that page
};

[[nodiscard]] std::span<const HelpTopic> HelpTopics();

// The topic of a context number, or nullptr for a number the manual does not know.
[[nodiscard]] const HelpTopic* FindHelpTopic(int contextNumber);

} // namespace dilato::ui

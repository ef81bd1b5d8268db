// The operator's manual as shipped in the program folder: every help context number the
// program uses leads to a page and an anchor that exist, and every link inside the manual
// lands somewhere.
#include "core/StartUpModels.h"
#include "core/TestRecovery.h"
#include "report/TestReport.h"
#include "ui/HelpTopics.h"
#include "ui/MessageWindows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace dilato::ui;

namespace {

const std::string kManual = std::string(DILATO_PROGRAM_FOLDER) + kHelpFolder;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> AllMatches(const std::string& text, const std::regex& re) {
    std::vector<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
        found.push_back((*it)[1].str());
    return found;
}

// The anchors the help browser can scroll to: <a name="...">.
std::set<std::string> Anchors(const std::string& page) {
    const auto names = AllMatches(ReadAll(kManual + page), std::regex(R"re(<a\s+name="([^"]*)")re"));
    return {names.begin(), names.end()};
}

std::vector<std::string> Pages() {
    std::vector<std::string> pages;
    for (const auto& e : fs::directory_iterator(kManual))
        if (e.path().extension() == ".html") pages.push_back(e.path().filename().string());
    return pages;
}

// Every help context number the sources use: the named numbers of the help namespace and
// any number passed to showTopic directly.
std::map<std::string, int> ContextNumbersInSources() {
    std::map<std::string, int> numbers;
    const std::string header = ReadAll(std::string(DILATO_SOURCE_FOLDER) + "src/ui/HelpViewer.h");
    const std::regex named(R"(inline\s+constexpr\s+int\s+(\w+)\s*=\s*(\d+)\s*;)");
    for (std::sregex_iterator it(header.begin(), header.end(), named), end; it != end; ++it)
        numbers["help::" + (*it)[1].str()] = std::stoi((*it)[2].str());
    const std::regex literal(R"(showTopic\s*\(\s*(\d+)\s*\))");
    for (const char* tree : {"src", "app"}) {
        for (const auto& e : fs::recursive_directory_iterator(std::string(DILATO_SOURCE_FOLDER) + tree)) {
            if (!e.is_regular_file()) continue;
            const auto ext = e.path().extension();
            if (ext != ".cpp" && ext != ".h") continue;
            for (const auto& n : AllMatches(ReadAll(e.path()), literal))
                numbers[e.path().filename().string() + ": showTopic(" + n + ")"] = std::stoi(n);
        }
    }
    return numbers;
}

} // namespace

TEST(HelpManual, EveryContextNumberTheProgramUsesLeadsToAnExistingAnchor) {
    const auto numbers = ContextNumbersInSources();
    ASSERT_GE(numbers.size(), 12u) << "the help context numbers were not found in the sources";
    ASSERT_EQ(numbers.at("help::Main"), 10) << "F1 opens topic 10";
    for (const auto& [where, number] : numbers) {
        const HelpTopic* topic = FindHelpTopic(number);
        ASSERT_NE(topic, nullptr) << where << " = " << number << " has no topic in the manual";
        ASSERT_TRUE(fs::exists(kManual + topic->page)) << where << ": " << topic->page;
        EXPECT_EQ(Anchors(topic->page).count(topic->anchor), 1u)
            << where << " leads to " << topic->page << "#" << topic->anchor << ", which is missing";
    }
}

TEST(HelpManual, EachContextNumberHasOneTopicAndEachTopicItsOwnPlace) {
    std::set<int> numbers;
    std::set<std::string> places;
    for (const HelpTopic& t : HelpTopics()) {
        EXPECT_TRUE(numbers.insert(t.contextNumber).second) << "topic " << t.contextNumber << " twice";
        EXPECT_TRUE(places.insert(std::string(t.page) + "#" + t.anchor).second)
            << t.page << "#" << t.anchor << " serves two topics";
    }
    EXPECT_EQ(FindHelpTopic(-1), nullptr);
    EXPECT_EQ(FindHelpTopic(11), nullptr);
}

TEST(HelpManual, EveryLinkLandsOnAPageAndAnchorOfTheManual) {
    const std::regex href(R"re(href="([^"]*)")re");
    for (const auto& page : Pages()) {
        const std::string text = ReadAll(kManual + page);
        EXPECT_NE(text.find("<title>"), std::string::npos) << page << " has no title";
        std::set<std::string> seen;
        for (const auto& name : AllMatches(text, std::regex(R"re(<a\s+name="([^"]*)")re")))
            EXPECT_TRUE(seen.insert(name).second) << page << ": anchor " << name << " twice";
        for (const auto& link : AllMatches(text, href)) {
            // The manual is read on a tester that may have no network: it links only to itself.
            ASSERT_EQ(link.find(':'), std::string::npos) << page << " links out: " << link;
            const auto hash = link.find('#');
            const std::string target = hash == 0 ? page : link.substr(0, hash);
            ASSERT_TRUE(fs::exists(kManual + target)) << page << " -> " << link;
            if (hash != std::string::npos) {
                EXPECT_EQ(Anchors(target).count(link.substr(hash + 1)), 1u)
                    << page << " -> " << link << ": no such anchor";
            }
        }
    }
}

TEST(HelpManual, EveryPageCanBeReachedFromTheContents) {
    std::set<std::string> reached{kHelpContentsPage};
    std::vector<std::string> queue{kHelpContentsPage};
    while (!queue.empty()) {
        const std::string page = queue.back();
        queue.pop_back();
        for (const auto& link : AllMatches(ReadAll(kManual + page), std::regex(R"re(href="([^"#]+))re")))
            if (reached.insert(link).second) queue.push_back(link);
    }
    for (const auto& page : Pages()) EXPECT_EQ(reached.count(page), 1u) << page << " is not linked";
}

TEST(HelpManual, ThePowerCutPageNamesWhatTheProgramShowsAndWrites) {
    const std::string page = ReadAll(kManual + "recovery.html");
    for (const std::string& text :
         {std::string(dilato::kInterruptedTitle), std::string(dilato::kJournalErrorTitle),
          "<b>" + std::string(dilato::kResumeCaption) + "</b>",
          "<b>" + std::string(dilato::kCloseIncompleteCaption) + "</b>",
          std::string(dilato::kJournalEnding),
          std::string(dilato::kInterruptedEnding), std::string("--resume"),
          std::string("--close-incomplete"), std::string("--keep-journal")})
        EXPECT_NE(page.find(text), std::string::npos) << "recovery.html does not name " << text;
}

TEST(HelpManual, TheManualNamesThingsAsTheWindowDoes) {
    const std::string start = ReadAll(kManual + "getting-started.html");
    for (const char* statement : dilato::kOperationalWarnings)
        EXPECT_NE(start.find(statement), std::string::npos)
            << "warning not in the manual: " << statement;
    // The warnings window sends the operator to "Section 2.0".
    EXPECT_NE(start.find("Section 2.0"), std::string::npos);
    EXPECT_NE(start.find(kPdfPromptCaption), std::string::npos);
    EXPECT_NE(start.find("Continue without"), std::string::npos);
    EXPECT_NE(ReadAll(kManual + "test-tab.html").find(dilato::kMakerWebAddress), std::string::npos)
        << "the About box's web address";
    const std::string options = ReadAll(kManual + "setup-options.html");
    for (const char* caption :
         {"Temperature After Testing", "Accuracy / Speed", "Metric (millimeters)"})
        EXPECT_NE(options.find(caption), std::string::npos) << caption;
    const std::string messages = ReadAll(kManual + "messages.html");
    EXPECT_EQ(messages.find("Application will now Exit"), std::string::npos);
}

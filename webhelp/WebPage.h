#pragma once
// The frame every page of the web folder shares: the title bar with the search box, the side panel the script fills
// with the contents and the index, the topic's place in the contents written into the page (so it shows without
// the script too), and the style sheet and scripts it needs. Text is UTF-8.

#include <string>
#include <vector>

// Where a topic sits in the contents: the topics from the top down to it, itself last.
struct PagePlace {
    struct Step {
        std::string title;
        std::string pageName;
    };
    std::vector<Step> trail;
};

// A saved page (UTF-8, declared so) inside the frame. pageName is the page it stands for: index.html stands for
// the home topic.
std::string TopicInFrame(const std::string& page, const std::string& bookTitle, const std::string& pageName,
                         const PagePlace& place);

// A page of the frame alone, for the search results and the help ID look-up: kind names it for the script
// ("search", "open"), dataScript is one more data script the page loads ("_web/search.js"), or empty.
std::string FramePage(const std::string& bookTitle, const std::string& heading, const std::string& kind,
                      const std::string& dataScript);

// The folder inside the web folder for the shared style sheet, scripts and data.
inline constexpr const char* kWebSupportFolder = "_web";

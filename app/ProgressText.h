#pragma once
// The text of a running conversion: "正在转换" with a row of one to six dots. The count is kept for the whole run
// of the program, so a second conversion goes on where the first one stopped.

#include <string>

class ProgressText {
public:
    // The text for this tick (UTF-8), then the count advances: 0 only once, then 1 to 6 over and over.
    std::string NextTick();

private:
    int counter_ = 0;
};

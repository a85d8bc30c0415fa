#pragma once
// The text of a running conversion: "正在转换" with a row of one to six dots. The count is kept for the whole run
// of the program, so a second conversion goes on where the first one stopped.

#include <cstdint>
#include <string>
#include <utility>

class ProgressText {
public:
    // The text for this tick (UTF-8), then the count advances: 0 only once, then 1 to 6 over and over. The phase,
    // when one is set, follows on a line of its own.
    std::string NextTick();

    // What the run is doing (UTF-8): reading, the page being made, compiling; empty for none.
    void SetPhase(std::string phase) { phase_ = std::move(phase); }
    static std::string PagePhase(int32_t page, int32_t pageCount);

private:
    int counter_ = 0;
    std::string phase_;
};

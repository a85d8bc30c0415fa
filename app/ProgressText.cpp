#include "ProgressText.h"

#include "UiTexts.h"

namespace {
constexpr int kMostDots = 6;
}

std::string ProgressText::NextTick() {
    std::string text(ui::kConverting);
    if (counter_ >= 1 && counter_ <= kMostDots) {
        text += ".";
        for (int dot = 2; dot <= counter_; ++dot)
            text += " .";
    }
    if (++counter_ > kMostDots)
        counter_ = 1;
    return phase_.empty() ? text : text + "\n" + phase_;
}

std::string ProgressText::PagePhase(int32_t page, int32_t pageCount) {
    return WithValues(std::string(ui::kPhasePage), {std::to_string(page + 1), std::to_string(pageCount)});
}

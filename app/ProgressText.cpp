#include "ProgressText.h"

#include "UiTexts.h"

namespace {
constexpr int kMostDots = 6;
}

std::string ProgressText::NextTick() {
    std::string text = ui::kConverting;
    if (counter_ >= 1 && counter_ <= kMostDots) {
        text += ".";
        for (int dot = 2; dot <= counter_; ++dot)
            text += " .";
    }
    if (++counter_ > kMostDots)
        counter_ = 1;
    return text;
}

#include "ConvertOptions.h"

ConvertOptions& ConvertOptions::Instance() {
    static ConvertOptions options;
    return options;
}

std::string ConvertOptions::CopyrightText() const {
    std::lock_guard lock(copyrightMutex_);
    return copyrightText_;
}

void ConvertOptions::SetCopyrightText(std::string text) {
    std::lock_guard lock(copyrightMutex_);
    copyrightText_ = std::move(text);
}

void ConvertOptions::ResetToDefaults() {
    SetCopyrightText("");
    showHeader = 0;
    showFooter = 0;
    pngImages = 1;
    relatedTopics = 1;
    showNumbering = 0;
    frontPage = 0;
}

PageOptions ConvertOptions::Snapshot() const {
    PageOptions options;
    options.showHeader = showHeader != 0;
    options.showFooter = showFooter != 0;
    options.pngImages = pngImages != 0;
    options.relatedTopics = relatedTopics != 0;
    options.showNumbering = showNumbering != 0;
    options.copyrightText = CopyrightText();
    options.frontPage = frontPage != 0;
    return options;
}

#include "ConvertOptions.h"

#include <utility>

PageOptions ConvertOptions::Snapshot() const {
    std::lock_guard lock(mutex_);
    return options_;
}

void ConvertOptions::Store(PageOptions options) {
    std::lock_guard lock(mutex_);
    options_ = std::move(options);
}

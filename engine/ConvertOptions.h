#pragma once
// The desktop program's page options, kept for the whole process: the advanced dialog stores them while a
// conversion may be starting, so they are handed out and taken only as whole copies under a lock. A run reads them
// once, when it starts.

#include "engine/PageOptions.h"

#include <mutex>

class ConvertOptions {
public:
    PageOptions Snapshot() const;
    void Store(PageOptions options);

private:
    mutable std::mutex mutex_;
    PageOptions options_;
};

#pragma once
// The page options of the whole process. The advanced dialog writes them while a conversion may be reading them:
// the flags are atomic words, and the copyright text is only handed out as a copy taken under a lock.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

// The options one conversion uses from its start to its end, whatever the dialog changes meanwhile.
struct PageOptions {
    bool showHeader = false;
    bool showFooter = false;
    bool pngImages = true;
    bool relatedTopics = true;
    bool showNumbering = false;
    std::string copyrightText; // narrow
    bool frontPage = false;    // the text before the first heading on a page of its own
};

class ConvertOptions {
public:
    // The one instance, made with the defaults on first use; nothing is ever persisted.
    static ConvertOptions& Instance();

    std::string CopyrightText() const;
    void SetCopyrightText(std::string text);

    std::atomic<int32_t> showHeader{0};
    std::atomic<int32_t> showFooter{0};
    std::atomic<int32_t> pngImages{1};
    std::atomic<int32_t> relatedTopics{1};
    std::atomic<int32_t> showNumbering{0};
    // The text before the first heading becomes a page of its own, first in the contents and the default topic.
    std::atomic<int32_t> frontPage{0};

    PageOptions Snapshot() const;

    // Back to the defaults; for tests, which share the process-wide instance.
    void ResetToDefaults();

private:
    ConvertOptions() = default;

    mutable std::mutex copyrightMutex_;
    std::string copyrightText_;
};

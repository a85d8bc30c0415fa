// libFuzzer target for the reader of an application's header of help IDs (--map-header): faults are raised as
// HelpIdError, which is the reader's answer, not a failure; anything else escaping is.
#include "engine/HelpIds.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const std::vector<HeaderId> ids = ParseMapHeader(text, "fuzz.h");
        std::vector<std::string> warnings;
        std::vector<HelpIdBookmark> bookmarks;
        for (const HeaderId& id : ids)
            bookmarks.push_back({id.name, 0, false});
        AssignHelpIds(bookmarks, ids, "fuzz.h", 1000, warnings);
    } catch (const HelpIdError&) {
    }
    return 0;
}

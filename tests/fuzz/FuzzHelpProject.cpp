// libFuzzer target for what leafbind-hhc reads besides pages: the first byte picks the reader. 0: the project file
// (.hhp); 1 and 2: a header named by #include in [MAP] or [ALIAS]; otherwise a contents or index file (.hhc, .hhk)
// in the code page the byte picks.
#include "HelpProject.h"
#include "Sitemap.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const uint32_t codePages[] = {1252, 936, 950, 932, 65001};
    switch (data[0] % 4) {
    case 0: {
        ProjectParseResult parsed = ParseHelpProject(bytes);
        for (const WindowDefinition& window : parsed.project.windows)
            (void)window.caption.size();
        break;
    }
    case 1:
    case 2: {
        HelpProject project;
        project.codePage = codePages[(data[0] >> 2) % 5];
        ParseContextFile(bytes, data[0] % 4 == 1, project);
        break;
    }
    default:
        ParseSitemap(bytes, codePages[(data[0] >> 2) % 5]);
        break;
    }
    return 0;
}

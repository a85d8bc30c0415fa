// libFuzzer target for the compound-file reader (.doc and encrypted .docx containers): the bytes as a file, its
// streams listed and the start of the Word stream read, as the password check does.
#include "docserver/package/CompoundFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader takes a path; a memory file has one without touching the disk.
    const int descriptor = ::memfd_create("compound", MFD_CLOEXEC);
    if (descriptor < 0)
        return 0;
    if (::write(descriptor, data, size) == static_cast<ssize_t>(size)) {
        const std::string path = "/proc/self/fd/" + std::to_string(descriptor);
        if (const auto file = CompoundFile::Open(path)) {
            for (const std::string& name : file->StreamNames())
                file->ReadStreamStart(name, 4096);
        }
        IsPasswordProtectedWordFile(path);
    }
    ::close(descriptor);
    return 0;
}

// The container's results: a refused name or a failed write is a Status the compile can word, and a container
// that refused a file writes nothing.

#include "ChmContainer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Addition {
    const char* name;
    StatusCode code;
    const char* says;
};

// Reading back a descriptor's length: nothing written means an empty file.
off_t LengthOf(int descriptor) {
    return ::lseek(descriptor, 0, SEEK_END);
}

} // namespace

TEST(ChmContainer, RefusedNamesAreDamagedAndTheFirstOneStopsTheWrite) {
    const Addition additions[] = {
        {"/a.html", StatusCode::Ok, ""},
        {"::DataSpace/x", StatusCode::Ok, ""},
        {"", StatusCode::Damaged, "internal file name is empty, too long or not rooted"},
        {"b.html", StatusCode::Damaged, "internal file name is empty, too long or not rooted: b.html"},
        {"/a.html", StatusCode::Damaged, "file added twice: /a.html"},
    };
    ChmContainer container(ContainerSettings{});
    for (const Addition& addition : additions) {
        const Status status = container.AddFile(addition.name, std::string_view("<p>x</p>"), false);
        EXPECT_EQ(status.code, addition.code) << addition.name;
        EXPECT_EQ(status.message.find(addition.says), 0u) << status.message;
    }
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const Status written = container.Write(::fileno(file));
    EXPECT_EQ(written.code, StatusCode::Damaged);
    EXPECT_EQ(written.message, "internal file name is empty, too long or not rooted: ") << "the first refusal";
    EXPECT_EQ(LengthOf(::fileno(file)), 0) << "nothing written";
    std::fclose(file);
}

TEST(ChmContainer, AWholeFileIsWrittenOrTheWriteIsAnIoFailure) {
    for (const bool writable : {true, false}) {
        ChmContainer container(ContainerSettings{});
        ASSERT_TRUE(container.AddFile("/a.html", std::string_view("<p>x</p>")).ok());
        FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        const int descriptor = writable ? ::fileno(file) : ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        const Status written = container.Write(descriptor);
        EXPECT_EQ(written.code, writable ? StatusCode::Ok : StatusCode::Io) << written.message;
        if (writable)
            EXPECT_GT(LengthOf(descriptor), 0);
        else
            ::close(descriptor);
        std::fclose(file);
    }
}

// The external programs the server calls on: their arguments arrive as given, their exit status counts, and one
// that runs past its time is stopped. The child is a program of the tests' own, beside this one.
#include "docserver/package/ExternalProgram.h"

#include "ExternalProgramArguments.h"
#include "base/Utf8Path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Child() {
    const fs::path self = fs::absolute(PathFromUtf8(testing::internal::GetArgvs().at(0)));
    return Utf8FromPath(self.parent_path() / PathFromUtf8("external_program_child" + Utf8FromPath(self.extension())));
}

} // namespace

TEST(ExternalProgram, ArgumentsArriveWholeAndTheExitStatusCounts) {
    std::vector<std::string> same = {Child(), "same"};
    same.insert(same.end(), std::begin(kTrickyArguments), std::end(kTrickyArguments));
    EXPECT_TRUE(RunProgram(same, std::chrono::seconds(60)));
    std::vector<std::string> other = same;
    other.back() += "x";
    EXPECT_FALSE(RunProgram(other, std::chrono::seconds(60)));
    EXPECT_FALSE(RunProgram({Child() + "-absent"}, std::chrono::seconds(60)));
    EXPECT_FALSE(RunProgram({}, std::chrono::seconds(60)));
}

TEST(ExternalProgram, ProgramRunningPastItsTimeIsStopped) {
    EXPECT_FALSE(RunProgram({Child(), "wait"}, std::chrono::seconds(1)));
}

TEST(ExternalProgram, ProgramNotOnThePathIsNotFound) {
    EXPECT_TRUE(FindProgram("leafbind-no-such-program").empty());
}

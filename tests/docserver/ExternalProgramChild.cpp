// The program ExternalProgramTest starts: checks the arguments it was given against the ones the test means to
// pass, or waits far past the test's time limit.
//   external_program_child same ARGUMENTS...   exit 0 when they are the test's tricky arguments, 3 otherwise
//   external_program_child wait                 sleeps for a minute, to be stopped

#include "ExternalProgramArguments.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments[0] == "wait") {
        std::this_thread::sleep_for(std::chrono::minutes(1));
        return 0;
    }
    std::vector<std::string> expected = {"same"};
    expected.insert(expected.end(), std::begin(kTrickyArguments), std::end(kTrickyArguments));
    return arguments == expected ? 0 : 3;
}

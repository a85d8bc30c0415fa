#include "ProcessEnd.h"

#include <fstream>
#include <string>
#include <unistd.h>

bool ProcessEnds(pid_t pid) {
    for (int wait = 0; wait < 100; ++wait) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string number, name, state;
        stat >> number >> name >> state;
        if (state.empty() || state == "Z")
            return true;
        ::usleep(20000);
    }
    return false;
}

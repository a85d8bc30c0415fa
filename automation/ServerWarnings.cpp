#include "ServerWarnings.h"

namespace {

std::vector<std::string>& Pending() {
    thread_local std::vector<std::string> pending;
    return pending;
}

} // namespace

void AddServerWarning(std::string text) {
    Pending().push_back(std::move(text));
}

bool HasServerWarnings() {
    return !Pending().empty();
}

std::vector<std::string> TakeServerWarnings() {
    std::vector<std::string> taken;
    taken.swap(Pending());
    return taken;
}

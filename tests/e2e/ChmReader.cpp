#include "ChmReader.h"

#include <chm_lib.h>

std::unique_ptr<ChmReader> ChmReader::Open(const std::string& path) {
    chmFile* file = chm_open(path.c_str());
    if (!file)
        return nullptr;
    return std::unique_ptr<ChmReader>(new ChmReader(file));
}

ChmReader::~ChmReader() {
    chm_close(file_);
}

namespace {

int CollectName(chmFile*, chmUnitInfo* unit, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(unit->path);
    return CHM_ENUMERATOR_CONTINUE;
}

} // namespace

std::vector<std::string> ChmReader::List() const {
    std::vector<std::string> names;
    chm_enumerate(file_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, CollectName, &names);
    return names;
}

std::optional<std::string> ChmReader::Read(const std::string& name) const {
    chmUnitInfo unit;
    if (chm_resolve_object(file_, name.c_str(), &unit) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    std::string bytes(unit.length, '\0');
    const LONGINT64 got =
        chm_retrieve_object(file_, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0, unit.length);
    if (got != static_cast<LONGINT64>(unit.length))
        return std::nullopt;
    return bytes;
}

// Conversion steps whose subsystems are not built yet. Each does nothing and reports failure, so the driver runs
// and no caller can mistake a missing step for a made page or file. Each moves to its own folder when built.

#include "ChmConverter.h"

bool ChmConverter::WriteContentsFile(const std::string&) { return false; }

bool ChmConverter::WriteIndexFile(const std::string&) { return false; }

bool ChmConverter::WriteProjectFile(const std::string&, const std::string&, const std::string&, const std::string&) {
    return false;
}

void ChmConverter::CompileHelpProject(const std::string&) {}

#pragma once
// What a conversion request is checked for before any work, with nothing but the file system, so that a refused
// run touches nothing: the place the header of help IDs is to be written, and the help title's length.

#include <filesystem>
#include <string>
#include <vector>

// Why the header of help IDs cannot be written at target; empty when it can. runFiles are the run's other inputs
// and outputs (the source, the help file, the header read, the kept folder), none of which the header may replace.
// Only a new or an existing regular file is taken, never a link, a device or a pipe, and its folder must take a new
// file now, not after the whole run.
std::string MapHeaderTargetProblem(const std::filesystem::path& target,
                                   const std::vector<std::filesystem::path>& runFiles);

// The help title (UTF-8) as the help file takes it: shortened as long headings are, with warning set when it was.
std::string FittedTitle(const std::string& title, std::string& warning);

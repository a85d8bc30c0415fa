#pragma once
// A .docx package into the document model: parts found through relationships, never by fixed paths.

#include "docserver/model/DocumentModel.h"

#include "base/Status.h"

#include <filesystem>
#include <string>

struct DocxReadResult {
    Status status; // NotThisFormat: the bytes are no Word package at all (as opposed to a damaged one)
    Document document;
};

DocxReadResult ReadDocx(std::string bytes);
// The same from a file, whose parts are read from it as they are needed.
DocxReadResult ReadDocxFile(const std::filesystem::path& path);

#pragma once
// A .docx package into the document model: parts found through relationships, never by fixed paths.

#include "docserver/model/DocumentModel.h"

#include "base/Status.h"

#include <string>

struct DocxReadResult {
    Status status; // NotThisFormat: the bytes are no Word package at all (as opposed to a damaged one)
    Document document;
};

DocxReadResult ReadDocx(std::string bytes);

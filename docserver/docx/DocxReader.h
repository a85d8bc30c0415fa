#pragma once
// A .docx package into the document model: parts found through relationships, never by fixed paths.

#include "docserver/model/DocumentModel.h"

#include <string>

struct DocxReadResult {
    bool ok = false;
    bool notWordDocument = false; // the bytes are no Word package at all (as opposed to a damaged one)
    std::string message;          // why it failed, for the user
    Document document;
};

DocxReadResult ReadDocx(std::string bytes);

#pragma once
// numbering.xml: the abstract list definitions and the list instances, into the model.

#include "docserver/model/DocumentModel.h"

#include <string>

struct NumberingReadResult {
    bool ok = false;
    std::string message;
};

NumberingReadResult ReadNumbering(const std::string& xml, Numbering& numbering);

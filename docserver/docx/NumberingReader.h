#pragma once
// numbering.xml: the abstract list definitions and the list instances, into the model.

#include "docserver/model/DocumentModel.h"

#include "base/Status.h"

#include <string>

Status ReadNumbering(const std::string& xml, Numbering& numbering);

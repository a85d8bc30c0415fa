#pragma once
// What Documents.Add gives: one empty paragraph, one section, and Word's usual built-in styles.

#include "docserver/model/DocumentModel.h"

Document MakeBlankDocument();
// Adds the built-in styles a document does not define itself (Word lists them all in its Styles collection), matched
// by name, so an opened document always has "Normal", the headings and the hyperlink character styles.
void AddMissingDefaultStyles(Document& document);

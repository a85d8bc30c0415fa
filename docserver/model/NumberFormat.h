#pragma once
// One list counter as text in one of Word's number formats (w:numFmt values).

#include <string>

std::u16string FormatListNumber(int value, const std::string& format);

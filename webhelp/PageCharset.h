#pragma once
// A saved page as UTF-8: its bytes read in the charset its meta element declares (a help file's pages are in the
// help file's code page), the declaration rewritten to say UTF-8. Browsers outside a help viewer guess a page's
// charset badly when it is not UTF-8, and the web folder's scripts and data are UTF-8.

#include "base/Status.h"

#include <string>
#include <string_view>

struct Utf8Page {
    Status status;
    std::string html;
    size_t skippedBytes = 0; // bytes that meant nothing in the declared charset, left out
};

// A page without a declaration is taken as UTF-8 when it is valid UTF-8, and refused otherwise.
Utf8Page PageAsUtf8(std::string_view html);

// The charset the page's first kilobytes declare, lower case as written ("gb2312"); empty when none.
std::string DeclaredCharset(std::string_view html);

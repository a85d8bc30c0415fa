#pragma once
// Office Math (OMML, as a document keeps it) as HTML 4 and CSS 2 that an IE7-era viewer shows without MathML:
// scripts raised and lowered, fractions stacked over a rule, radicals with a bar, big operators with their limits
// above and below, matrices in rows, accents over their base, delimiters around their parts.

#include <string>

// The markup of one m:oMath or m:oMathPara element; empty when it cannot be read.
std::string MathToHtml(const std::string& omml);

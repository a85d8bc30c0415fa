#pragma once
// The one case the web folder's search compares letters in, the same at conversion time and in the browser: a
// letter of Basic Latin, the Latin-1 Supplement, Latin Extended-A, Greek and Coptic, Cyrillic or the Cyrillic
// Supplement (U+0000-U+017F and U+0370-U+052F) becomes what the browser's toLowerCase makes of it, when that is one
// character; the final sigma becomes sigma, so a word typed in capitals finds it at a word's end. Other
// characters stay as they are: no table of every alphabet's cases is needed for the languages the help is
// written in, and the browser folds no more than this either (webhelp/assets/leafbind.js).

char32_t FoldedCase(char32_t c);

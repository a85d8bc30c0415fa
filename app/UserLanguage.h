#pragma once
// The user's language for what the toolkit draws itself: the stock buttons of message boxes and the file choosers.
// The program's own texts are Chinese whatever the language.

// Takes the C library's locale from the environment (numbers keep the point) and loads the toolkit's translations
// of the user's language. Call once, after the toolkit has started.
void UseUserLanguage();

#pragma once
// The user's language for what the toolkit draws itself (the stock buttons of message boxes and the file choosers)
// and for the program's own texts: Chinese under a Chinese locale, English under any other (base/MessageCatalogue.h).

// Takes the C library's locale from the environment (numbers keep the point), loads the toolkit's translations of
// the user's language and fixes the program's language for the whole run. Call once, after the toolkit has started.
void UseUserLanguage();

#pragma once
// The language the program speaks to its user, and the catalogue that gives the converter's messages in it. The
// layers below the front ends write their messages in English; a front end passes each one through ForUser just
// before the user reads it. A catalogue entry is an English pattern with numbered places ("cannot read {1}: {2}")
// and its Chinese form with the same places; what fills a place is passed through the catalogue in turn, so a
// message built from others (a page's name before a picture's warning) is translated whole.

#include <initializer_list>
#include <span>
#include <string>

enum class UserLanguage { English, Chinese };

// Chinese under a Chinese locale, English under any other. LEAFBIND_LANGUAGE ("zh" or "en") wins; then the first
// set of LC_ALL, LC_MESSAGES and LANG, as the C library reads them; with none set, the system's own language
// (Windows keeps it in the user's settings, not the environment).
UserLanguage UserLanguageFromEnvironment();

// The language every ForUser and every front end text uses; taken from the environment on first use unless set.
UserLanguage CurrentUserLanguage();
void SetUserLanguage(UserLanguage language);
bool UserReadsChinese();

struct CatalogueEntry {
    const char* english; // the text as the layers below write it, "{1}" to "{9}" where a value goes
    const char* chinese; // the same places, in any order
};

std::span<const CatalogueEntry> MessageCatalogue();

// The pattern with "{1}" replaced by the first value, "{2}" by the second, and so on.
std::string WithValues(const std::string& pattern, std::initializer_list<std::string> values);

// The message (UTF-8) in the given language: unchanged in English and where no entry matches; a message of several
// lines line by line, as no pattern spans lines.
std::string Translated(const std::string& message, UserLanguage language);
// The same in the user's language.
std::string ForUser(const std::string& message);

#include "UserLanguage.h"

#include "base/MessageCatalogue.h"

#include <wx/intl.h>
#include <wx/translation.h>
#include <wx/uilocale.h>

#include <clocale>

void UseUserLanguage() {
    // A locale the system does not have leaves the C locale: the toolkit then speaks English, nothing fails.
    wxUILocale::UseDefault();
    // Page sizes and style lengths are read and written with strtod and printf: a decimal comma would break them.
    std::setlocale(LC_NUMERIC, "C");

    SetUserLanguage(UserLanguageFromEnvironment());

    auto* translations = new wxTranslations;
    translations->AddStdCatalog();
    wxTranslations::Set(translations);
}

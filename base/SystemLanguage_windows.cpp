#include "base/SystemLanguage.h"

#include <windows.h>

bool SystemSpeaksChinese() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE;
}

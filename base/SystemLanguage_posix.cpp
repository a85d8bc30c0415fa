#include "base/SystemLanguage.h"

bool SystemSpeaksChinese() {
    return false;
}

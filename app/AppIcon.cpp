#include "AppIcon.h"

#include "res/leafbind.xpm"

wxIcon AppIcon() {
    return wxIcon(leafbind_xpm);
}

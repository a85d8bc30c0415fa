#pragma once
// The program icon (resource 128 of the dialog templates): the window icon and the about box's picture.

#include <wx/icon.h>

wxIcon AppIcon();

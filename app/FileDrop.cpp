#include "FileDrop.h"

bool FileDrop::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) {
    return onDrop(files);
}

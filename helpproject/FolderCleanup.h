#pragma once

#include <string>

// Deletes what pattern names: a folder followed by "/*.*" (everything inside it, depth first; the folder itself
// stays), or the plain path of one file. False when nothing matched or something could not be deleted; each
// failure is shown through the message box. Refused, with nothing deleted: an empty or root folder, and a plain
// path that names a folder. Symbolic links are removed as links; what they point to is never touched.
bool DeleteFolderContents(std::string pattern);

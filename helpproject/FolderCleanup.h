#pragma once

#include <string>

// Deletes what pattern names: a folder followed by "/*.*" (everything inside it, depth first; the folder itself
// stays), or the plain path of one file; any other name holding "*.*" is a plain file. An entry already gone is
// not a failure. False when nothing matched or something could not be deleted; the failures are shown once,
// through the message box, however many there were. Refused, with nothing deleted: an empty or root folder, and a
// plain path that names a folder. Symbolic links are removed as links; what they point to is never touched.
bool DeleteFolderContents(std::string pattern);

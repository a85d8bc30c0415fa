#pragma once
// styles.xml: the document defaults and the styles, into the model.

#include "docserver/docx/DrawingColor.h"
#include "docserver/docx/ThemeFonts.h"
#include "docserver/model/DocumentModel.h"

#include "base/Status.h"

#include <string>

// Sets the document's defaults and, from the defaults' East Asian language, its theme fonts before reading the
// styles, whose theme font references they answer.
// Theme colours of runs are answered by colors.
Status ReadStyles(const std::string& xml, const ThemeFontScheme& theme, const ThemeColorScheme& colors,
                  Document& document);

#pragma once
// What both sides of the wire take as Word's: values of its enumerations that the converter passes and the document
// server answers, and where a page saved as HTML keeps its pictures.

#include <cstdint>
#include <string>

// Paragraph.OutlineLevel of a paragraph that is no heading; headings are 1 to 9.
constexpr int32_t kBodyTextLevel = 10;
// Document.SaveAs's file format for filtered HTML.
constexpr int32_t kFilteredHtmlFormat = 10;

// The folder beside a page saved as HTML that holds its pictures: page "0.html" -> "0.files".
inline std::string PictureFolderName(const std::string& pageStem) {
    return pageStem + ".files";
}

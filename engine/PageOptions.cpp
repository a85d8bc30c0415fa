#include "PageOptions.h"

namespace {

// The first five are the dialog's original check boxes, with their control numbers and captions; each caption
// also in English, for users under any other than a Chinese locale.
constexpr PageSwitch kSwitches[] = {
    {&PageOptions::showHeader, "--header", "copy the document's page header onto every page",
     "把文档的页眉复制到每个页面", 1023, "显示页眉", "Header", "把文档的页眉复制到每个页面的顶部"},
    {&PageOptions::showFooter, "--footer", "copy the document's page footer onto every page",
     "把文档的页脚复制到每个页面", 1024, "显示页脚", "Footer", "把文档的页脚复制到每个页面的底部"},
    {&PageOptions::pngImages, "--no-png", "keep pictures in their own formats instead of PNG",
     "图片保持原来的格式，不转换为 PNG", 1025, "PNG高质量图片", "PNG pictures",
     "页面中的图片保存为 PNG 格式；不选时图片保持原来的格式"},
    {&PageOptions::relatedTopics, "--no-related", "no list of sub-topics at the foot of a page",
     "页面末尾不列出下级主题", 1026, "相关联主题", "Related topics", "在每个页面的末尾列出它的下级主题"},
    {&PageOptions::showNumbering, "--numbering", "keep heading numbers on pages, contents and index",
     "在页面、目录和索引中保留标题的编号", 1027, "显示编号", "Numbering", "在页面、目录和索引中保留标题的编号"},
    {&PageOptions::frontPage, "--front-page",
     "put the text before the first heading on a page of its own, first in the\n"
     "contents under the help title and shown when the help file opens",
     "把第一个标题之前的文字放在单独的页面上，排在目录的最前面（帮助标题之下），\n打开帮助文件时显示", 1028, "封面页",
     "Front page",
     "把第一个标题之前的文字（标题页、摘要、前言）放在单独的页面上，排在目录的最前面，打开帮助文件时显示"},
};

} // namespace

std::span<const PageSwitch> PageSwitches() {
    return kSwitches;
}

bool DefaultValue(const PageSwitch& option) {
    return PageOptions{}.*option.field;
}

#pragma once
// #TOPICS, #URLTBL and #URLSTR: one topic per page, its title in #STRINGS and its address in #URLSTR, linked
// through #URLTBL. Viewers use them to show titles for index hits and to resolve keyword targets.
#include <cstdint>
#include <string>
#include <vector>

#include "ByteBuffer.h"
#include "StringTable.h"

struct Topic {
    std::string title; // project code page
    std::string local; // internal name without the leading "/"
    bool inContents = false;
};

struct TopicTables {
    Bytes topics;
    Bytes urlTable;
    Bytes urlStrings;
};

TopicTables BuildTopicTables(const std::vector<Topic>& topicList, StringTable& strings);

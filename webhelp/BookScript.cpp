#include "BookScript.h"

#include "ScriptData.h"

#include "automation/CodePage.h"
#include "base/Text.h"

#include <algorithm>
#include <unordered_map>

namespace {

void CollectKeywords(const std::vector<WebTopic>& topics, std::vector<WebKeyword>& keywords,
                     std::unordered_map<std::string, size_t>& byText) {
    for (const WebTopic& topic : topics) {
        const auto [found, added] = byText.emplace(topic.title, keywords.size());
        if (added)
            keywords.push_back({topic.title, {{topic.title, topic.pageName}}, {}, {}});
        else
            keywords[found->second].targets.push_back({topic.title, topic.pageName});
        CollectKeywords(topic.children, keywords, byText);
    }
}

void AppendToc(std::string& script, const std::vector<WebTopic>& topics) {
    script += "[";
    for (size_t i = 0; i < topics.size(); ++i) {
        script += (i ? ",[" : "[") + ScriptString(topics[i].title) + "," + ScriptString(topics[i].pageName);
        if (!topics[i].children.empty()) {
            script += ",";
            AppendToc(script, topics[i].children);
        }
        script += "]";
    }
    script += "]";
}

void AppendKeywords(std::string& script, const std::vector<WebKeyword>& keywords) {
    script += "[";
    for (size_t i = 0; i < keywords.size(); ++i) {
        const WebKeyword& keyword = keywords[i];
        script += (i ? ",\n{k:" : "\n{k:") + ScriptString(keyword.text) + ",t:[";
        for (size_t t = 0; t < keyword.targets.size(); ++t)
            script += (t ? ",[" : "[") + ScriptString(keyword.targets[t].title) + "," +
                      ScriptString(keyword.targets[t].href) + "]";
        script += "]";
        if (!keyword.seeAlso.empty()) {
            script += ",see:[";
            for (size_t s = 0; s < keyword.seeAlso.size(); ++s)
                script += (s ? "," : "") + ScriptString(keyword.seeAlso[s]);
            script += "]";
        }
        if (!keyword.subEntries.empty()) {
            script += ",sub:";
            AppendKeywords(script, keyword.subEntries);
        }
        script += "}";
    }
    script += "]";
}

} // namespace

std::vector<WebTopic> WebTopics(const std::vector<BookTopic>& topics) {
    std::vector<WebTopic> web;
    for (const BookTopic& topic : topics)
        web.push_back({NarrowToUtf8(topic.title).value_or(topic.title), topic.pageName, WebTopics(topic.children)});
    return web;
}

std::vector<WebKeyword> KeywordsFromTopics(const std::vector<WebTopic>& topics) {
    std::vector<WebKeyword> keywords;
    std::unordered_map<std::string, size_t> byText;
    CollectKeywords(topics, keywords, byText);
    std::stable_sort(keywords.begin(), keywords.end(),
                     [](const WebKeyword& a, const WebKeyword& b) { return AsciiLower(a.text) < AsciiLower(b.text); });
    return keywords;
}

namespace {

void SortKeywords(std::vector<WebKeyword>& keywords) {
    std::stable_sort(keywords.begin(), keywords.end(),
                     [](const WebKeyword& a, const WebKeyword& b) { return AsciiLower(a.text) < AsciiLower(b.text); });
    for (WebKeyword& keyword : keywords)
        SortKeywords(keyword.subEntries);
}

} // namespace

void AddIndexKeywords(std::vector<WebKeyword>& keywords, const std::vector<IndexKeyword>& entries) {
    for (const IndexKeyword& entry : entries) {
        std::vector<WebKeyword>* level = &keywords;
        WebKeyword* keyword = nullptr;
        for (const std::string& part : entry.path) {
            const std::string text = NarrowToUtf8(part).value_or(part);
            auto found =
                std::find_if(level->begin(), level->end(), [&](const WebKeyword& k) { return k.text == text; });
            if (found == level->end())
                found = level->insert(level->end(), WebKeyword{text, {}, {}, {}});
            keyword = &*found;
            level = &keyword->subEntries;
        }
        if (!keyword)
            continue;
        if (!entry.seeAlso.empty()) {
            const std::string see = NarrowToUtf8(entry.seeAlso).value_or(entry.seeAlso);
            if (std::find(keyword->seeAlso.begin(), keyword->seeAlso.end(), see) == keyword->seeAlso.end())
                keyword->seeAlso.push_back(see);
            continue;
        }
        const WebKeyword::Target target{NarrowToUtf8(entry.topicTitle).value_or(entry.topicTitle), entry.local};
        const bool known = std::any_of(keyword->targets.begin(), keyword->targets.end(),
                                       [&](const WebKeyword::Target& t) { return t.href == target.href; });
        if (!known)
            keyword->targets.push_back(target);
    }
    SortKeywords(keywords);
}

std::string BookScript(const BookScriptParts& parts) {
    std::string script =
        "var LB_BOOK = {title:" + ScriptString(parts.title) + ",\nhome:" + ScriptString(parts.homePage) + ",\ntoc:";
    AppendToc(script, parts.topics);
    script += ",\nkeys:";
    AppendKeywords(script, parts.keywords);
    script += ",\nids:{";
    for (size_t i = 0; i < parts.helpIds.size(); ++i) {
        const BookHelpId& id = parts.helpIds[i];
        script += (i ? ",\n" : "\n") + ScriptString(id.name) + ":" + ScriptString(id.target) + "," +
                  ScriptString(std::to_string(id.number)) + ":" + ScriptString(id.target);
    }
    return script + "}};\n";
}

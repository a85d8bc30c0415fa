#include "engine/LanguageChoice.h"

#include <gtest/gtest.h>

TEST(LanguageChoice, TheDeclaredLanguageOrTheCodePageThatHoldsTheText) {
    struct Case {
        const char* what;
        std::string requested;
        uint32_t declared;
        uint32_t declaredFarEast;
        std::string text;
        uint32_t lcid;
    };
    const Case cases[] = {
        {"undeclared ASCII keeps Chinese (China)", "", 0, 0, "Manual Intro", 0x804},
        {"undeclared Chinese", "", 0, 0, "手册 概述 — “引号”", 0x804},
        {"English Word with Chinese text", "", 0x409, 0x804, "手册 概述", 0x804},
        {"English Word, English text", "", 0x409, 0x804, "Manual café", 0x409},
        {"an East Asian language declared for Latin text only", "", 0, 0x412, "Internal hyperlinks", 0x804},
        {"declared German", "", 0x407, 0, "Übersicht der Änderungen", 0x407},
        {"undeclared German", "", 0, 0, "Übersicht der Änderungen", 0x409},
        {"undeclared Korean", "", 0, 0, "개요 변경 사항", 0x412},
        {"undeclared Greek", "", 0, 0, "Επισκόπηση αλλαγές", 0x408},
        {"declared Japanese, kana and kanji 936 also holds", "", 0x409, 0x411, "概要 変更の一覧", 0x411},
        {"declared Traditional Chinese", "", 0x409, 0x404, "概觀 變更記錄", 0x404},
        {"simplified text declared Traditional: 950 lacks most of it", "", 0, 0x404, "这个说明书记录简体", 0x804},
        {"undeclared Russian that 936 holds", "", 0, 0, "Обзор", 0x804},
        {"undeclared Chinese with a few Western letters 936 lacks", "", 0, 0, "Müller € 中文", 0x804},
        {"declared Lithuanian", "", 0x427, 0, "Apžvalga ąžuolas", 0x427},
        {"a sub-language the table lacks", "", 0x2407, 0, "Übersicht", 0x407},
        {"the option wins", "ja-JP", 0x407, 0, "Übersicht", 0x411},
        {"the option as an LCID", "0x419", 0, 0, "Обзор", 0x419},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LanguageChoice choice = ChooseHelpLanguage(c.requested, c.declared, c.declaredFarEast, c.text);
        EXPECT_EQ(choice.language.lcid, c.lcid);
    }
}

TEST(LanguageChoice, WhatTheCodePageLacksIsNamedOnceAndAnUnknownOptionIsSaid) {
    // A German document quoting Chinese: the bulk of its letters beyond ASCII are German.
    const LanguageChoice mixed = ChooseHelpLanguage("", 0x407, 0, "Die Änderungen für Übersicht und Größe: 中文, 中文");
    EXPECT_EQ(mixed.language.codePage, 1252u);
    EXPECT_NE(mixed.warning.find("2 of the document's characters: 中 文."), std::string::npos) << mixed.warning;
    EXPECT_EQ(mixed.warning.find("Ä"), std::string::npos);
    // Mostly Chinese, declared German: the declared language gives way.
    EXPECT_EQ(ChooseHelpLanguage("", 0x407, 0, "Änderungen: 中文文档和说明").language.codePage, 936u);

    EXPECT_TRUE(ChooseHelpLanguage("", 0x804, 0, "手册").warning.empty());
    const LanguageChoice unknown = ChooseHelpLanguage("xx-YY", 0, 0, "Manual");
    EXPECT_EQ(unknown.language.lcid, 0x804u);
    EXPECT_NE(unknown.warning.find("xx-YY"), std::string::npos);
}

// A document's text is taken a stretch at a time: whatever the stretches, the choice and its warning are those of the
// whole text, and each character is counted as often as it appears.
TEST(LanguageChoice, TheTextInPiecesChoosesAsTheWholeText) {
    const std::string texts[] = {
        "Die Änderungen für Übersicht und Größe: 中文, 中文",
        "Müller € 中文 😀 and 😀 again",
        "这个说明书记录简体 Ελληνικά Обзор",
        "Manual Intro",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        for (const size_t stretch : {size_t{1}, size_t{5}, size_t{40}}) {
            TextCharacters pieces;
            // Cut only between whole characters, as Word's text comes.
            for (size_t at = 0; at < text.size();) {
                size_t end = std::min(text.size(), at + stretch);
                while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
                    ++end;
                pieces.Add(text.substr(at, end - at));
                at = end;
            }
            for (const uint32_t declared : {0u, 0x407u, 0x804u}) {
                const LanguageChoice whole = ChooseHelpLanguage("", declared, 0, text);
                const LanguageChoice inPieces = ChooseHelpLanguage("", declared, 0, pieces);
                EXPECT_EQ(inPieces.language.lcid, whole.language.lcid);
                EXPECT_EQ(inPieces.warning, whole.warning);
            }
        }
    }
    TextCharacters counted;
    counted.Add("中文 ");
    counted.Add("中 😀");
    ASSERT_EQ(counted.Characters().size(), 3u);
    EXPECT_EQ(counted.Characters()[0].code, U'中');
    EXPECT_EQ(counted.Characters()[0].count, 2u);
    EXPECT_EQ(counted.Characters()[1].code, U'文');
    EXPECT_EQ(counted.Characters()[2].code, U'😀');
    EXPECT_EQ(counted.Characters()[2].count, 1u);
}

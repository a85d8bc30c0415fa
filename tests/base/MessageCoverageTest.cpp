// Every message the layers write for the user has a Chinese form: the sources are read where a message is made (a
// failing Status, a warning, an error, a reason) and each piece of English text there must be found in a pattern of
// the catalogue. A message added without its entry fails here, before a Chinese user meets it in English.

#include "base/MessageCatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The layers whose messages reach the user. The automation and word folders hold the Word automation layer, whose
// messages name program faults and reach the user only inside one of the catalogue's messages.
constexpr const char* kLayers[] = {"base", "chm", "cli", "docserver", "engine", "helpproject", "webhelp"};

// Where a message for the user is made; the statement from here to its ';' holds the message's pieces.
const std::regex& MessageSite() {
    static const std::regex site(R"((Failure\(StatusCode::\w+,|\bFail\(|\bfail\(|failAt\(|warnings_?\.push_back\()"
                                 R"(|cuts\.push_back\(|errors\.push_back\(|\bWarning\(|\bError\(|HelpIdError\()"
                                 R"(|\b(error|message|reason|warning|logProblem) = ))");
    return site;
}

struct Piece {
    std::string file;
    int line = 0;
    std::string text;
};

// The string literals of a statement, adjacent ones joined, with their escapes read.
std::vector<std::string> Literals(const std::string& statement) {
    std::vector<std::string> literals;
    bool joining = false;
    for (size_t i = 0; i < statement.size(); ++i) {
        if (statement[i] == '\'' && i + 2 < statement.size()) { // a character literal, which may be '"'
            i += statement[i + 1] == '\\' ? 3 : 2;
            continue;
        }
        if (statement[i] != '"') {
            if (!std::isspace(static_cast<unsigned char>(statement[i])))
                joining = false;
            continue;
        }
        std::string text;
        for (++i; i < statement.size() && statement[i] != '"'; ++i) {
            if (statement[i] == '\\' && i + 3 < statement.size() && statement[i + 1] == 'x') {
                text += static_cast<char>(std::stoi(statement.substr(i + 2, 2), nullptr, 16));
                i += 3;
            } else if (statement[i] == '\\' && i + 1 < statement.size()) {
                ++i;
                text += statement[i] == 'n' ? '\n' : statement[i];
            } else {
                text += statement[i];
            }
        }
        if (joining)
            literals.back() += text;
        else
            literals.push_back(text);
        joining = true;
    }
    return literals;
}

// English words in the text: two words of letters in a row.
bool HoldsWords(const std::string& text) {
    static const std::regex words("[A-Za-z]{2,} +[A-Za-z]{2,}");
    return std::regex_search(text, words);
}

std::vector<Piece> MessagePieces(const fs::path& root) {
    std::vector<Piece> pieces;
    for (const char* layer : kLayers)
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / layer)) {
            if (entry.path().extension() != ".cpp")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream buffer;
            buffer << in.rdbuf();
            const std::string source = buffer.str();
            for (std::sregex_iterator at(source.begin(), source.end(), MessageSite()), end; at != end; ++at) {
                const size_t start = static_cast<size_t>(at->position() + at->length());
                const size_t stop = source.find(";\n", start);
                const std::string statement = source.substr(start, stop == std::string::npos ? 0 : stop - start);
                const int line =
                    static_cast<int>(std::count(source.begin(), source.begin() + at->position(), '\n')) + 1;
                for (const std::string& text : Literals(statement))
                    if (HoldsWords(text))
                        pieces.push_back({fs::relative(entry.path(), root).string(), line, text});
            }
        }
    return pieces;
}

bool InSomePattern(const std::string& text) {
    for (const CatalogueEntry& entry : MessageCatalogue())
        if (std::string(entry.english).find(text) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(MessageCoverage, EveryMessageTheLayersWriteHasACatalogueEntry) {
    const std::vector<Piece> pieces = MessagePieces(LEAFBIND_SOURCE_DIR);
    // The scan finds the messages it is meant to: a chart's reason, a package's limit, the help compiler's error.
    EXPECT_GT(pieces.size(), 150u);
    for (const char* known : {"its slices add up to nothing", "the zip structure is damaged (",
                              "the error log file is the project file itself: "})
        EXPECT_TRUE(std::any_of(pieces.begin(), pieces.end(), [&](const Piece& piece) { return piece.text == known; }))
            << known;
    for (const Piece& piece : pieces)
        EXPECT_TRUE(InSomePattern(piece.text)) << piece.file << ":" << piece.line << ": \"" << piece.text << "\"";
}

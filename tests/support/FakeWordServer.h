#pragma once
// A recording stand-in for Word: answers every member of the Word member table, scripts the source document's
// paragraphs (level and text), and records each call with its object, DISPID, kind and arguments.
// Objects live until the server goes away, so references that the engine detaches on purpose cost nothing.

#include "automation/ComTypes.h"
#include "automation/WordMemberTable.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class FakeWordObject;

struct RecordedCall {
    WordObject object = WordObject::None;
    std::string objectLabel; // e.g. "Document#source", "Paragraph#3"
    WordMember member{};
    DISPID dispid = 0;
    WORD kind = 0;
    std::vector<VARTYPE> argTypes; // as they travelled, in call order
    std::vector<std::string> args; // e.g. "I4:3", "R4:3", "BOOL:true", "BSTR:x", "&I2:0", "&ERROR:0x80020004"
    bool namedPut = false;         // the property-put named argument was present
};

struct ScriptedParagraph {
    ScriptedParagraph(int level, std::string text, std::string listString = "")
        : level(level), text(std::move(text)), listString(std::move(listString)) {}
    int level = 10;         // Word's outline level: 1..9 headings, 10 body text
    std::string text;       // UTF-8, without the paragraph mark
    std::string listString; // the number Word shows in front of it, UTF-8
};

class FakeWordServer {
public:
    FakeWordServer();
    ~FakeWordServer();
    FakeWordServer(const FakeWordServer&) = delete;
    FakeWordServer& operator=(const FakeWordServer&) = delete;

    // Makes CreateDispatch("Word.Application") answer with this server until it is destroyed.
    void Register();

    // The document Documents.Open returns.
    void SetSourceParagraphs(std::vector<ScriptedParagraph> paragraphs);
    // Changes a source paragraph's level while a test runs (1-based index).
    void SetLevel(int paragraphIndex, int level);

    // Collections of the page document (any document but the source), and the source's bookmarks.
    struct ScriptedLink {
        std::string address; // empty: a link to a bookmark
        std::string name;    // the bookmark for such a link
    };
    struct ScriptedBookmark {
        std::string name;
        int start = 0; // position in the source story
    };
    std::vector<ScriptedLink> links;
    std::vector<ScriptedBookmark> bookmarks;
    std::vector<std::string> styleNames; // UTF-8
    std::vector<int> listParagraphLevels;

    // Makes calls of member fail: with DISP_E_EXCEPTION and Word's description, or with a plain status.
    // skip: how many calls succeed first; times: how many fail after that (-1: all).
    void FailWith(WordMember member, HRESULT status, const std::string& description = "", int skip = 0, int times = -1);
    // Answers member with this value instead of the usual one (to hand the client a result of the wrong type).
    void AnswerWith(WordMember member, const VARIANT& value);
    // A member that answers with no object at all.
    void AnswerNothing(WordMember member);

    std::vector<RecordedCall> calls;
    std::vector<RecordedCall> CallsOf(WordMember member) const;
    // The calls from index first on, one line each: "Object.Member" or "Object.Member(arg, arg)".
    std::vector<std::string> Trace(size_t first = 0) const;
    int CountOf(WordMember member) const;

    // Reference bookkeeping over all objects the server handed out.
    int objectsCreated = 0;
    int addRefs = 0;
    int releases = 0;
    int LiveReferences() const;               // sum over objects of their current counts
    std::vector<std::string> referenceEvents; // "AddRef <label>" and "Release <label>", in order

    // Internal, for the objects.
    HRESULT Answer(FakeWordObject& self, DISPID dispid, WORD kind, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo);
    FakeWordObject* Create(WordObject kind, std::string label);

private:
    HRESULT AnswerFromSource(FakeWordObject& self, WordMember member, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* excepInfo);
    HRESULT AnswerFromCollections(FakeWordObject& self, WordMember member, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO* excepInfo);

    struct Failure {
        HRESULT status;
        std::string description;
        int skip;
        int times;
    };
    std::vector<std::unique_ptr<FakeWordObject>> objects_;
    std::vector<ScriptedParagraph> source_;
    std::map<WordMember, Failure> failures_;
    std::map<WordMember, VARIANT> answers_;
    bool registered_ = false;
    int addedDocuments_ = 0;
};

class FakeWordObject : public IDispatch {
public:
    FakeWordObject(FakeWordServer& server, WordObject kind, std::string label)
        : server(server), kind(kind), label(std::move(label)) {}
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD kind, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override;

    FakeWordServer& server;
    const WordObject kind;
    const std::string label;
    int references = 1;
    bool source = false; // belongs to the opened source document
    int paragraph = 0;   // 1-based paragraph index for Paragraph objects, and for a paragraph's Range
    int item = 0;        // 1-based index of a scripted link, bookmark, style or list paragraph
    int start = 0;       // Range positions
    int end = 0;
};

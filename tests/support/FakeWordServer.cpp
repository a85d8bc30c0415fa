#include "FakeWordServer.h"

#include "automation/Bstr.h"
#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "automation/HResult.h"
#include "automation/Variant.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {

constexpr const char* kProgId = "Word.Application";

std::u16string Wide(const std::string& utf8) {
    auto narrow = Utf8ToNarrow(utf8);
    auto wide = narrow ? NarrowToWide(*narrow) : std::nullopt;
    return wide.value_or(u"?");
}

std::string Utf8(std::u16string_view wide) {
    auto narrow = WideToNarrow(wide);
    auto utf8 = narrow ? NarrowToUtf8(*narrow) : std::nullopt;
    return utf8.value_or("?");
}

std::string Describe(const VARIANT& value) {
    char text[64];
    switch (value.vt) {
    case VT_EMPTY:
        return "EMPTY";
    case VT_I2:
        return "I2:" + std::to_string(value.iVal);
    case VT_I4:
        return "I4:" + std::to_string(value.lVal);
    case VT_R4:
        std::snprintf(text, sizeof text, "R4:%g", value.fltVal);
        return text;
    case VT_BOOL:
        return value.boolVal ? "BOOL:true" : "BOOL:false";
    case VT_BSTR:
        return "BSTR:" + Utf8(BstrView(value.bstrVal));
    case VT_ERROR:
        std::snprintf(text, sizeof text, "ERROR:0x%08X", static_cast<unsigned>(value.scode));
        return text;
    case VT_DISPATCH: {
        auto* object = dynamic_cast<FakeWordObject*>(static_cast<IUnknown*>(value.pdispVal));
        return "DISPATCH:" + (object ? object->label : std::string("null"));
    }
    case VT_VARIANT | VT_BYREF:
        return "&" + (value.pvarVal ? Describe(*value.pvarVal) : std::string("null"));
    default:
        return "VT:" + std::to_string(value.vt);
    }
}

// The argument in call order i (DISPPARAMS keeps them last first).
const VARIANT& ArgAt(const DISPPARAMS& params, size_t i) {
    return params.rgvarg[params.cArgs - 1 - i];
}

// The whole number an argument holds, looking through a VARIANT passed by reference.
int32_t IntArg(const VARIANT& value) {
    const VARIANT& inner = value.vt == (VT_VARIANT | VT_BYREF) ? *value.pvarVal : value;
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, &inner, 0, VT_I4)))
        return 0;
    return converted.lVal;
}

HRESULT RaiseWordError(EXCEPINFO* info, const std::string& description) {
    if (info) {
        *info = EXCEPINFO{};
        info->scode = DISP_E_EXCEPTION;
        info->bstrSource = SysAllocString(u"Microsoft Word");
        info->bstrDescription = SysAllocString(Wide(description));
    }
    return DISP_E_EXCEPTION;
}

void ReturnObject(VARIANT* result, FakeWordObject* object) {
    if (!result)
        return;
    result->vt = VT_DISPATCH;
    result->pdispVal = object; // the new reference of a fresh object, or one more on an existing one
}

} // namespace

FakeWordServer::FakeWordServer() = default;

FakeWordServer::~FakeWordServer() {
    if (registered_)
        UnregisterAutomationClass(kProgId);
    for (auto& [member, value] : answers_)
        VariantClear(&value);
}

void FakeWordServer::Register() {
    registered_ = true;
    RegisterAutomationClass(kProgId, [this](IDispatch** object) {
        *object = Create(WordObject::Application, "Application");
        return S_OK;
    });
}

void FakeWordServer::SetSourceParagraphs(std::vector<ScriptedParagraph> paragraphs) {
    source_ = std::move(paragraphs);
}

void FakeWordServer::SetLevel(int paragraphIndex, int level) {
    source_.at(paragraphIndex - 1).level = level;
}

void FakeWordServer::FailWith(WordMember member, HRESULT status, const std::string& description, int skip, int times) {
    failures_[member] = Failure{status, description, skip, times};
}

void FakeWordServer::AnswerWith(WordMember member, const VARIANT& value) {
    VARIANT copy;
    VariantInit(&copy);
    VariantCopy(&copy, &value);
    answers_[member] = copy;
}

void FakeWordServer::AnswerNothing(WordMember member) {
    VARIANT nothing;
    VariantInit(&nothing);
    nothing.vt = VT_DISPATCH;
    nothing.pdispVal = nullptr;
    answers_[member] = nothing;
}

std::vector<RecordedCall> FakeWordServer::CallsOf(WordMember member) const {
    std::vector<RecordedCall> found;
    for (const RecordedCall& call : calls)
        if (call.member == member)
            found.push_back(call);
    return found;
}

std::vector<std::string> FakeWordServer::Trace(size_t first) const {
    std::vector<std::string> lines;
    for (size_t i = first; i < calls.size(); ++i) {
        const RecordedCall& call = calls[i];
        const WordMemberInfo& info = MemberInfo(call.member);
        std::string line = std::string(WordObjectName(call.object)) + "." + std::string(info.name);
        if (info.kind == DISPATCH_PROPERTYPUT)
            line += "=";
        if (!call.args.empty()) {
            line += info.kind == DISPATCH_PROPERTYPUT ? "" : "(";
            for (size_t a = 0; a < call.args.size(); ++a)
                line += (a ? ", " : "") + call.args[a];
            line += info.kind == DISPATCH_PROPERTYPUT ? "" : ")";
        }
        lines.push_back(line);
    }
    return lines;
}

int FakeWordServer::CountOf(WordMember member) const {
    return static_cast<int>(CallsOf(member).size());
}

int FakeWordServer::LiveReferences() const {
    return std::accumulate(objects_.begin(), objects_.end(), 0,
                           [](int sum, const auto& object) { return sum + object->references; });
}

FakeWordObject* FakeWordServer::Create(WordObject kind, std::string label) {
    objects_.push_back(std::make_unique<FakeWordObject>(*this, kind, std::move(label)));
    ++objectsCreated;
    return objects_.back().get();
}

// The source document: paragraphs as scripted, each ending in its mark, positions in UTF-16 code units.
// S_FALSE: not a member the script decides.
HRESULT FakeWordServer::AnswerFromSource(FakeWordObject& self, WordMember member, DISPPARAMS* params, VARIANT* result,
                                         EXCEPINFO* excepInfo) {
    const int paragraphCount = static_cast<int>(source_.size());
    std::u16string text;
    std::vector<int> starts; // start of each paragraph, then the end of the story
    for (const ScriptedParagraph& paragraph : source_) {
        starts.push_back(static_cast<int>(text.size()));
        // As in Word, a paragraph holding only a page break reads as the one character \f.
        text += paragraph.text == "\f" ? u"\f" : Wide(paragraph.text) + u"\r";
    }
    starts.push_back(static_cast<int>(text.size()));

    auto create = [&](WordObject kind, std::string label) {
        FakeWordObject* object = Create(kind, std::move(label));
        object->source = true;
        return object;
    };
    auto paragraphObject = [&](int index) {
        FakeWordObject* object = create(WordObject::Paragraph, "Paragraph#" + std::to_string(index));
        object->paragraph = index;
        return object;
    };

    switch (member) {
    case WordMember::ParagraphsCount:
    case WordMember::ParagraphsItem:
        if (self.kind != WordObject::Paragraphs)
            return S_FALSE;
        if (member == WordMember::ParagraphsCount) {
            result->vt = VT_I4;
            result->lVal = paragraphCount;
            return S_OK;
        }
        if (const int index = IntArg(ArgAt(*params, 0)); index >= 1 && index <= paragraphCount) {
            ReturnObject(result, paragraphObject(index));
            return S_OK;
        }
        return RaiseWordError(excepInfo, "The requested member of the collection does not exist.");
    case WordMember::ParagraphOutlineLevel:
        result->vt = VT_I4;
        result->lVal = source_.at(self.paragraph - 1).level;
        return S_OK;
    case WordMember::ParagraphNext:
    case WordMember::ParagraphPrevious:
        if (const int index = self.paragraph + (member == WordMember::ParagraphNext ? 1 : -1);
            index >= 1 && index <= paragraphCount) {
            ReturnObject(result, paragraphObject(index));
        } else {
            result->vt = VT_DISPATCH;
            result->pdispVal = nullptr;
        }
        return S_OK;
    case WordMember::ParagraphRange: {
        FakeWordObject* range = create(WordObject::Range, "Range#p" + std::to_string(self.paragraph));
        range->paragraph = self.paragraph;
        range->start = starts.at(self.paragraph - 1);
        range->end = starts.at(self.paragraph);
        ReturnObject(result, range);
        return S_OK;
    }
    case WordMember::DocumentRange: {
        FakeWordObject* range = create(WordObject::Range, "Range#doc");
        range->start = IntArg(ArgAt(*params, 0));
        range->end = IntArg(ArgAt(*params, 1));
        ReturnObject(result, range);
        return S_OK;
    }
    case WordMember::RangeText: {
        const int size = static_cast<int>(text.size());
        const int begin = std::clamp(self.start, 0, size);
        const int stop = std::clamp(self.end, begin, size);
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(std::u16string_view(text).substr(begin, stop - begin));
        return S_OK;
    }
    case WordMember::RangeListFormat: {
        if (!self.paragraph)
            return S_FALSE;
        FakeWordObject* format = create(WordObject::ListFormat, "ListFormat#p" + std::to_string(self.paragraph));
        format->paragraph = self.paragraph;
        ReturnObject(result, format);
        return S_OK;
    }
    case WordMember::ListFormatListString:
        if (!self.paragraph)
            return S_FALSE;
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(Wide(source_.at(self.paragraph - 1).listString));
        return S_OK;
    default:
        return S_FALSE;
    }
}

// The scripted collections: links, bookmarks (of the source), styles and list paragraphs. S_FALSE: not one of them.
HRESULT FakeWordServer::AnswerFromCollections(FakeWordObject& self, WordMember member, DISPPARAMS* params,
                                              VARIANT* result, EXCEPINFO* excepInfo) {
    auto count = [&](size_t size) {
        result->vt = VT_I4;
        result->lVal = static_cast<int32_t>(size);
        return S_OK;
    };
    auto item = [&](size_t size, WordObject kind, const char* name) {
        const int index = IntArg(ArgAt(*params, 0));
        if (index < 1 || index > static_cast<int>(size))
            return RaiseWordError(excepInfo, "The requested member of the collection does not exist.");
        FakeWordObject* object = Create(kind, std::string(name) + "#" + std::to_string(index));
        object->item = index;
        object->source = self.source;
        ReturnObject(result, object);
        return S_OK;
    };
    auto text = [&](const std::string& utf8) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(Wide(utf8));
        return S_OK;
    };
    switch (member) {
    case WordMember::HyperlinksCount:
        return count(links.size());
    case WordMember::HyperlinksItem:
        return item(links.size(), WordObject::Hyperlink, "Hyperlink");
    case WordMember::HyperlinkAddress:
        return self.item ? text(links.at(self.item - 1).address) : S_FALSE;
    case WordMember::HyperlinkName:
        return self.item ? text(links.at(self.item - 1).name) : S_FALSE;
    case WordMember::BookmarksCount:
        return count(bookmarks.size());
    case WordMember::BookmarksItem:
        return item(bookmarks.size(), WordObject::Bookmark, "Bookmark");
    case WordMember::BookmarkName:
        return self.item ? text(bookmarks.at(self.item - 1).name) : S_FALSE;
    case WordMember::BookmarkRange: {
        if (!self.item)
            return S_FALSE;
        FakeWordObject* range = Create(WordObject::Range, "Range#bookmark" + std::to_string(self.item));
        range->source = true;
        range->start = range->end = bookmarks.at(self.item - 1).start;
        ReturnObject(result, range);
        return S_OK;
    }
    case WordMember::StylesCount:
        return count(styleNames.size());
    case WordMember::StylesItem:
        return item(styleNames.size(), WordObject::Style, "Style");
    case WordMember::StyleNameLocal:
        return self.item ? text(styleNames.at(self.item - 1)) : S_FALSE;
    case WordMember::ListParagraphsCount:
        return count(listParagraphLevels.size());
    case WordMember::ListParagraphsItem: {
        const HRESULT status = item(listParagraphLevels.size(), WordObject::Paragraph, "ListParagraph");
        if (SUCCEEDED(status))
            static_cast<FakeWordObject*>(result->pdispVal)->source = false;
        return status;
    }
    case WordMember::ParagraphOutlineLevel:
        if (self.source || !self.item)
            return S_FALSE;
        result->vt = VT_I4;
        result->lVal = listParagraphLevels.at(self.item - 1);
        return S_OK;
    default:
        return S_FALSE;
    }
}

HRESULT FakeWordServer::Answer(FakeWordObject& self, DISPID dispid, WORD kind, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* excepInfo) {
    const auto found = FindWordMember(self.kind, dispid, kind);
    if (!found)
        return DISP_E_MEMBERNOTFOUND;
    const WordMemberInfo& info = MemberInfo(*found);

    RecordedCall call;
    call.object = self.kind;
    call.objectLabel = self.label;
    call.member = *found;
    call.dispid = dispid;
    call.kind = kind;
    const UINT namedCount = params ? params->cNamedArgs : 0;
    call.namedPut = namedCount == 1 && params->rgdispidNamedArgs && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    const size_t argCount = params ? params->cArgs : 0;
    for (size_t i = 0; i < argCount; ++i) {
        call.argTypes.push_back(ArgAt(*params, i).vt);
        call.args.push_back(Describe(ArgAt(*params, i)));
    }
    calls.push_back(call);

    // Word's own checks on the shape of a call.
    if (kind == DISPATCH_PROPERTYPUT && !call.namedPut)
        return DISP_E_PARAMNOTFOUND;
    if (argCount != info.params.size())
        return DISP_E_BADPARAMCOUNT;
    for (size_t i = 0; i < argCount; ++i)
        if (call.argTypes[i] != ParamVarType(info.params[i]))
            return DISP_E_TYPEMISMATCH;

    if (auto failure = failures_.find(*found); failure != failures_.end()) {
        Failure& planned = failure->second;
        if (planned.skip > 0) {
            --planned.skip;
        } else if (planned.times != 0) {
            if (planned.times > 0)
                --planned.times;
            if (planned.status == DISP_E_EXCEPTION)
                return RaiseWordError(excepInfo, planned.description);
            return planned.status;
        }
    }
    if (auto answer = answers_.find(*found); answer != answers_.end()) {
        if (result)
            VariantCopy(result, &answer->second);
        return S_OK;
    }

    if (*found == WordMember::DocumentsOpen) {
        FakeWordObject* document = Create(WordObject::Document, "Document#source");
        document->source = true;
        ReturnObject(result, document);
        return S_OK;
    }
    if (*found == WordMember::DocumentsAdd) {
        ReturnObject(result, Create(WordObject::Document, "Document#added" + std::to_string(++addedDocuments_)));
        return S_OK;
    }
    if (self.source) {
        const HRESULT status = AnswerFromSource(self, *found, params, result, excepInfo);
        if (status != S_FALSE)
            return status;
    }
    if (const HRESULT status = AnswerFromCollections(self, *found, params, result, excepInfo); status != S_FALSE)
        return status;
    if (self.kind == WordObject::Range && (*found == WordMember::RangeStart || *found == WordMember::RangeEnd)) {
        result->vt = VT_I4;
        result->lVal = *found == WordMember::RangeStart ? self.start : self.end;
        return S_OK;
    }

    // Everything else answers with a plain value of the member's result type.
    if (!result || info.result == VT_EMPTY)
        return S_OK;
    if (info.result == VT_DISPATCH) {
        FakeWordObject* object = Create(info.resultObject, std::string(WordObjectName(info.resultObject)) + "#" +
                                                               std::to_string(objectsCreated + 1));
        object->source = self.source;
        ReturnObject(result, object);
    } else if (info.result == VT_I4) {
        result->vt = VT_I4;
        result->lVal = *found == WordMember::ParagraphsCount ? 1 : 0; // a new document holds one empty paragraph
    } else if (info.result == VT_BSTR) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(u"");
    }
    return S_OK;
}

HRESULT FakeWordObject::QueryInterface(REFIID riid, void** object) {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG FakeWordObject::AddRef() {
    ++server.addRefs;
    server.referenceEvents.push_back("AddRef " + label);
    return ++references;
}

ULONG FakeWordObject::Release() {
    ++server.releases;
    server.referenceEvents.push_back("Release " + label);
    return --references;
}

HRESULT FakeWordObject::Invoke(DISPID dispid, REFIID, LCID, WORD kind, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* excepInfo, UINT*) {
    return server.Answer(*this, dispid, kind, params, result, excepInfo);
}

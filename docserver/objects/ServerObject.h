#pragma once
// Base of every object the document server hands out: Invoke looks the member up in the Word member table, checks
// the argument count and kinds as Word's type library would, and answers internal failures as Word does
// (DISP_E_EXCEPTION with a description, or the plain status for argument faults).

#include "automation/DispatchObject.h"
#include "automation/WordMemberTable.h"

#include <optional>
#include <string>

// Raised inside the server; Invoke turns it into its status and, for DISP_E_EXCEPTION, the EXCEPINFO.
struct ServerError {
    HRESULT status;
    std::string description; // UTF-8
    int argument = -1;       // the faulty argument in call order, for argErr
};

[[noreturn]] void ThrowDocumentError(const std::string& description);

// The arguments of one call, in call order (DISPPARAMS holds them last first).
class Arguments {
public:
    Arguments(const DISPPARAMS* params, const WordMemberInfo& info);
    // Null when the argument is left out or passed as the missing marker; VARIANTs by reference are followed.
    const VARIANT* At(size_t index) const;
    int32_t Int(size_t index) const;
    std::optional<int32_t> OptionalInt(size_t index) const;
    float Float(size_t index) const;
    bool Bool(size_t index) const;
    std::u16string Text(size_t index) const;
    std::optional<std::u16string> OptionalText(size_t index) const;
    IDispatch* Object(size_t index) const;

private:
    const VARIANT& Required(size_t index) const;
    const DISPPARAMS* params_;
    size_t count_;
};

class ServerObject : public DispatchObject {
public:
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) final;
    WordObject kind() const { return kind_; }

protected:
    explicit ServerObject(WordObject kind) : kind_(kind) {}
    virtual void Call(WordMember member, const Arguments& args, VARIANT* result) = 0;

private:
    WordObject kind_;
};

// Results: each helper leaves *result untouched when the caller asked for none.
void ReturnInt(VARIANT* result, int32_t value);
void ReturnText(VARIANT* result, const std::u16string& value);
// Takes over the one reference object holds; a null object is Word's "nothing".
void ReturnObject(VARIANT* result, IDispatch* object);

// The server object behind an IDispatch handed back to the server (an Anchor argument), or nullptr for a foreign one.
template <typename T> T* ServerObjectCast(IDispatch* object) {
    return object ? dynamic_cast<T*>(object) : nullptr;
}

#pragma once
// One automation object reference with automatic release: the client side of every Word call.

#include "automation/ComTypes.h"
#include "automation/WordMemberTable.h"

#include <initializer_list>
#include <string>

class DispatchRef;

// One argument of an invocation, with the type it travels as.
struct InvokeArg {
    VARTYPE type = VT_EMPTY;
    int32_t i4 = 0;
    float r4 = 0;
    bool flag = false;
    const std::string* text = nullptr; // narrow, converted to a BSTR for the call
    IDispatch* dispatch = nullptr;
    VARIANT* variant = nullptr; // passed by reference

    static InvokeArg I4(int32_t value);
    static InvokeArg R4(float value);
    static InvokeArg Bool(bool value);
    static InvokeArg Text(const std::string& value);
    static InvokeArg Dispatch(const DispatchRef& value);
    static InvokeArg Variant(VARIANT* value);
};

class DispatchRef {
public:
    DispatchRef() = default;
    // Takes over the one reference count that a call just returned.
    explicit DispatchRef(IDispatch* dispatch, bool autoRelease = true)
        : dispatch_(dispatch), autoRelease_(autoRelease) {}
    DispatchRef(const DispatchRef& other);
    DispatchRef(DispatchRef&& other) noexcept;
    // Adds a count to the new object, then releases the old one; the target then releases on its own.
    DispatchRef& operator=(const DispatchRef& other);
    DispatchRef& operator=(DispatchRef&& other) noexcept;
    ~DispatchRef();

    void AttachDispatch(IDispatch* dispatch, bool autoRelease = true);
    // Empties the reference without releasing the object.
    IDispatch* DetachDispatch();
    // Releases the object (when auto-release is set) and empties the reference.
    void ReleaseDispatch();
    // Creates the server registered under progId; on failure leaves the reference empty and stores the status.
    bool CreateDispatch(const std::string& progId, HRESULT* status = nullptr);

    IDispatch* get() const { return dispatch_; }
    bool empty() const { return dispatch_ == nullptr; }
    explicit operator bool() const { return dispatch_ != nullptr; }

    // Calls one member. result points at: int32_t for VT_I4, std::string for VT_BSTR, IDispatch* for VT_DISPATCH
    // (one count for the caller), bool for VT_BOOL, float for VT_R4; nothing for VT_EMPTY.
    // Through an empty reference nothing is called, nothing raised, and *result keeps its value.
    // Word's exceptions raise DispatchError, any other failure AutomationError.
    void InvokeHelper(DISPID dispid, WORD kind, VARTYPE resultType, void* result,
                      std::initializer_list<InvokeArg> args) const;

    // Calls a member of the table, with the arguments checked against its row; a null object where the row
    // expects one raises AutomationError(E_POINTER).
    void Invoke(WordMember member, void* result, std::initializer_list<InvokeArg> args = {}) const;

private:
    IDispatch* dispatch_ = nullptr;
    bool autoRelease_ = true;
};

#include "DispatchRef.h"

#include "AutomationError.h"

#include "automation/Bstr.h"
#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "automation/HResult.h"
#include "automation/Variant.h"

#include <stdexcept>
#include <utility>
#include <vector>

InvokeArg InvokeArg::I4(int32_t value) {
    InvokeArg arg;
    arg.type = VT_I4;
    arg.i4 = value;
    return arg;
}

InvokeArg InvokeArg::R4(float value) {
    InvokeArg arg;
    arg.type = VT_R4;
    arg.r4 = value;
    return arg;
}

InvokeArg InvokeArg::Bool(bool value) {
    InvokeArg arg;
    arg.type = VT_BOOL;
    arg.flag = value;
    return arg;
}

InvokeArg InvokeArg::Text(const std::string& value) {
    InvokeArg arg;
    arg.type = VT_BSTR;
    arg.text = &value;
    return arg;
}

InvokeArg InvokeArg::Dispatch(const DispatchRef& value) {
    InvokeArg arg;
    arg.type = VT_DISPATCH;
    arg.dispatch = value.get();
    return arg;
}

InvokeArg InvokeArg::Variant(VARIANT* value) {
    InvokeArg arg;
    arg.type = VT_VARIANT | VT_BYREF;
    arg.variant = value;
    return arg;
}

DispatchRef::DispatchRef(const DispatchRef& other) : dispatch_(other.dispatch_), autoRelease_(true) {
    if (dispatch_)
        dispatch_->AddRef();
}

DispatchRef::DispatchRef(DispatchRef&& other) noexcept
    : dispatch_(std::exchange(other.dispatch_, nullptr)), autoRelease_(other.autoRelease_) {}

DispatchRef& DispatchRef::operator=(const DispatchRef& other) {
    if (this == &other)
        return *this;
    IDispatch* old = dispatch_;
    const bool releaseOld = autoRelease_;
    dispatch_ = other.dispatch_;
    if (dispatch_)
        dispatch_->AddRef();
    if (old && releaseOld)
        old->Release();
    autoRelease_ = true;
    return *this;
}

DispatchRef& DispatchRef::operator=(DispatchRef&& other) noexcept {
    if (this == &other)
        return *this;
    ReleaseDispatch();
    dispatch_ = std::exchange(other.dispatch_, nullptr);
    autoRelease_ = other.autoRelease_;
    return *this;
}

DispatchRef::~DispatchRef() {
    ReleaseDispatch();
}

void DispatchRef::AttachDispatch(IDispatch* dispatch, bool autoRelease) {
    ReleaseDispatch();
    dispatch_ = dispatch;
    autoRelease_ = autoRelease;
}

IDispatch* DispatchRef::DetachDispatch() {
    return std::exchange(dispatch_, nullptr);
}

void DispatchRef::ReleaseDispatch() {
    IDispatch* old = std::exchange(dispatch_, nullptr);
    if (old && autoRelease_)
        old->Release();
}

bool DispatchRef::CreateDispatch(const std::string& progId, HRESULT* status) {
    ReleaseDispatch();
    IDispatch* created = nullptr;
    const HRESULT result = CreateDispatchObject(progId, &created);
    if (status)
        *status = result;
    if (FAILED(result) || !created)
        return false;
    AttachDispatch(created, true);
    return true;
}

namespace {

std::string NarrowOrEmpty(BSTR text) {
    return WideToNarrow(BstrView(text)).value_or(std::string());
}

[[noreturn]] void ThrowDispatchError(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn)
        info.pfnDeferredFillIn(&info);
    DispatchError::Details details;
    details.code = info.wCode;
    details.scode = info.scode;
    details.description = NarrowOrEmpty(info.bstrDescription);
    details.source = NarrowOrEmpty(info.bstrSource);
    details.helpFile = NarrowOrEmpty(info.bstrHelpFile);
    details.helpContext = info.dwHelpContext;
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    throw DispatchError(std::move(details));
}

// Frees the BSTRs built for one call, also when the call raises.
struct ArgumentBlock {
    std::vector<VARIANT> values;
    ~ArgumentBlock() {
        for (VARIANT& value : values)
            if (value.vt == VT_BSTR)
                SysFreeString(value.bstrVal);
    }
};

void StoreResult(VARIANT& value, VARTYPE resultType, void* result) {
    if (resultType == VT_DISPATCH && (value.vt == VT_EMPTY || value.vt == VT_NULL)) {
        *static_cast<IDispatch**>(result) = nullptr; // "nothing": the caller decides whether that is allowed
        return;
    }
    if (value.vt != resultType) {
        const HRESULT status = VariantChangeType(&value, &value, 0, resultType);
        if (FAILED(status)) {
            VariantClear(&value);
            throw AutomationError(status);
        }
    }
    switch (resultType) {
    case VT_DISPATCH:
        *static_cast<IDispatch**>(result) = value.pdispVal;
        return; // the count passes to the caller
    case VT_I4:
        *static_cast<int32_t*>(result) = value.lVal;
        return;
    case VT_I2:
        *static_cast<int16_t*>(result) = value.iVal;
        return;
    case VT_R4:
        *static_cast<float*>(result) = value.fltVal;
        return;
    case VT_BOOL:
        *static_cast<bool*>(result) = value.boolVal != VARIANT_FALSE;
        return;
    case VT_BSTR: {
        auto narrow = WideToNarrow(BstrView(value.bstrVal));
        VariantClear(&value);
        if (!narrow)
            throw AutomationError(DISP_E_TYPEMISMATCH, "A text from Word cannot be converted to the system code page.");
        *static_cast<std::string*>(result) = std::move(*narrow);
        return;
    }
    default:
        VariantClear(&value);
        throw AutomationError(DISP_E_BADVARTYPE);
    }
}

} // namespace

void DispatchRef::InvokeHelper(DISPID dispid, WORD kind, VARTYPE resultType, void* result,
                               std::initializer_list<InvokeArg> args) const {
    if (!dispatch_)
        return;

    // DISPPARAMS holds the arguments last first.
    ArgumentBlock block;
    block.values.resize(args.size());
    size_t slot = args.size();
    for (const InvokeArg& arg : args) {
        VARIANT& value = block.values[--slot];
        VariantInit(&value);
        switch (arg.type) {
        case VT_I4:
            value.vt = VT_I4;
            value.lVal = arg.i4;
            break;
        case VT_R4:
            value.vt = VT_R4;
            value.fltVal = arg.r4;
            break;
        case VT_BOOL:
            value.vt = VT_BOOL;
            value.boolVal = arg.flag ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_DISPATCH:
            value.vt = VT_DISPATCH;
            value.pdispVal = arg.dispatch;
            break;
        case VT_VARIANT | VT_BYREF:
            value.vt = VT_VARIANT | VT_BYREF;
            value.pvarVal = arg.variant;
            break;
        case VT_BSTR: {
            auto wide = NarrowToWide(arg.text ? *arg.text : std::string());
            if (!wide)
                throw AutomationError(DISP_E_TYPEMISMATCH, "A text cannot be converted from the system code page.");
            value.vt = VT_BSTR;
            value.bstrVal = SysAllocString(*wide);
            if (!value.bstrVal)
                throw AutomationError(E_OUTOFMEMORY);
            break;
        }
        default:
            throw AutomationError(DISP_E_BADVARTYPE);
        }
    }

    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS params{block.values.data(), nullptr, static_cast<UINT>(block.values.size()), 0};
    if (kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &namedPut;
        params.cNamedArgs = 1;
    }

    VARIANT value;
    VariantInit(&value);
    EXCEPINFO info{};
    UINT argErr = 0;
    const HRESULT status = dispatch_->Invoke(dispid, IID_NULL, 0, kind, &params,
                                             resultType != VT_EMPTY ? &value : nullptr, &info, &argErr);
    if (FAILED(status)) {
        VariantClear(&value);
        if (status == DISP_E_EXCEPTION)
            ThrowDispatchError(info);
        throw AutomationError(status);
    }
    if (resultType == VT_EMPTY)
        return;
    StoreResult(value, resultType, result);
}

void DispatchRef::Invoke(WordMember member, void* result, std::initializer_list<InvokeArg> args) const {
    const WordMemberInfo& info = MemberInfo(member);
    // A wrapper that disagrees with the table is a programming error, not Word's.
    bool matches = args.size() == info.params.size();
    for (size_t i = 0; matches && i < args.size(); ++i)
        matches = args.begin()[i].type == ParamVarType(info.params[i]);
    if (!matches)
        throw std::logic_error("arguments do not match the Word member table: " + std::string(info.name));

    if (!dispatch_)
        return;
    if (info.result != VT_DISPATCH) {
        InvokeHelper(info.dispid, info.kind, info.result, result, args);
        return;
    }
    IDispatch* object = nullptr;
    InvokeHelper(info.dispid, info.kind, VT_DISPATCH, &object, args);
    if (!object && !info.mayBeNull)
        throw AutomationError(E_POINTER, "Word returned no object for " + std::string(WordObjectName(info.object)) +
                                             "." + std::string(info.name) + ".");
    *static_cast<IDispatch**>(result) = object;
}

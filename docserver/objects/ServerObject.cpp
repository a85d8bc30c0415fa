#include "ServerObject.h"

#include "docserver/package/XmlPart.h"

#include "automation/Bstr.h"
#include "automation/HResult.h"
#include "automation/Variant.h"
#include "base/Text.h"

#include <cmath>
#include <new>

void ThrowDocumentError(const std::string& description) {
    throw ServerError{DISP_E_EXCEPTION, description};
}

Arguments::Arguments(const DISPPARAMS* params, const WordMemberInfo& info) : params_(params) {
    count_ = params ? params->cArgs : 0;
    const size_t named = params ? params->cNamedArgs : 0;
    if (info.kind == DISPATCH_PROPERTYPUT) {
        if (named != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            throw ServerError{DISP_E_PARAMNOTFOUND, "", 0};
    } else if (named != 0) {
        throw ServerError{DISP_E_NONAMEDARGS, ""};
    }
    if (count_ > info.params.size())
        throw ServerError{DISP_E_BADPARAMCOUNT, ""};
    for (size_t i = count_; i < info.params.size(); ++i)
        if (info.params[i] != 'V') // only VARIANT arguments are optional in Word's type library
            throw ServerError{DISP_E_PARAMNOTFOUND, "", static_cast<int>(i)};
}

const VARIANT* Arguments::At(size_t index) const {
    if (index >= count_)
        return nullptr;
    const VARIANT* value = &params_->rgvarg[count_ - 1 - index];
    for (int hops = 0; hops < 4 && value && value->vt == (VT_VARIANT | VT_BYREF); ++hops)
        value = value->pvarVal;
    if (!value || (value->vt == VT_ERROR && value->scode == DISP_E_PARAMNOTFOUND))
        return nullptr;
    return value;
}

const VARIANT& Arguments::Required(size_t index) const {
    const VARIANT* value = At(index);
    if (!value)
        throw ServerError{DISP_E_PARAMNOTFOUND, "", static_cast<int>(index)};
    return *value;
}

namespace {

VARIANT Coerced(const VARIANT& value, VARTYPE type, size_t index) {
    VARIANT out;
    VariantInit(&out);
    VARIANT source = value;
    // Simple by-reference values (VT_I4 | VT_BYREF, ...) are read through.
    if (source.vt & VT_BYREF) {
        switch (source.vt & VT_TYPEMASK) {
        case VT_I2:
            source.vt = VT_I2;
            source.iVal = *value.piVal;
            break;
        case VT_I4:
            source.vt = VT_I4;
            source.lVal = *value.plVal;
            break;
        case VT_BSTR:
            source.vt = VT_BSTR;
            source.bstrVal = *value.pbstrVal;
            break;
        default:
            throw ServerError{DISP_E_TYPEMISMATCH, "", static_cast<int>(index)};
        }
    }
    const HRESULT status = VariantChangeType(&out, &source, 0, type);
    if (FAILED(status))
        throw ServerError{status == DISP_E_OVERFLOW ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH, "",
                          static_cast<int>(index)};
    return out;
}

} // namespace

int32_t Arguments::Int(size_t index) const {
    return Coerced(Required(index), VT_I4, index).lVal;
}

std::optional<int32_t> Arguments::OptionalInt(size_t index) const {
    if (!At(index))
        return std::nullopt;
    return Int(index);
}

float Arguments::Float(size_t index) const {
    const float value = Coerced(Required(index), VT_R4, index).fltVal;
    if (!std::isfinite(value))
        throw ServerError{DISP_E_OVERFLOW, "", static_cast<int>(index)};
    return value;
}

bool Arguments::Bool(size_t index) const {
    return Coerced(Required(index), VT_BOOL, index).boolVal != 0;
}

std::u16string Arguments::Text(size_t index) const {
    const VARIANT& value = Required(index);
    if ((value.vt & VT_TYPEMASK) != VT_BSTR)
        throw ServerError{DISP_E_TYPEMISMATCH, "", static_cast<int>(index)};
    return std::u16string(BstrView(value.vt & VT_BYREF ? *value.pbstrVal : value.bstrVal));
}

std::optional<std::u16string> Arguments::OptionalText(size_t index) const {
    if (!At(index))
        return std::nullopt;
    return Text(index);
}

IDispatch* Arguments::Object(size_t index) const {
    const VARIANT& value = Required(index);
    if (value.vt == VT_DISPATCH)
        return value.pdispVal;
    if (value.vt == (VT_DISPATCH | VT_BYREF))
        return *value.ppdispVal;
    throw ServerError{DISP_E_TYPEMISMATCH, "", static_cast<int>(index)};
}

HRESULT ServerObject::Invoke(DISPID dispIdMember, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* excepInfo, UINT* argErr) {
    std::optional<WordMember> member;
    for (WORD kind : {DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT})
        if ((flags & kind) && !member)
            member = FindWordMember(kind_, dispIdMember, kind);
    if (!member)
        return DISP_E_MEMBERNOTFOUND;
    if (result)
        VariantInit(result);
    try {
        const Arguments args(params, MemberInfo(*member));
        Call(*member, args, result);
        return S_OK;
    } catch (const ServerError& error) {
        if (result)
            VariantClear(result);
        if (error.argument >= 0 && argErr && params)
            *argErr = params->cArgs > static_cast<UINT>(error.argument)
                          ? params->cArgs - 1 - static_cast<UINT>(error.argument)
                          : 0;
        if (error.status == DISP_E_EXCEPTION && excepInfo) {
            *excepInfo = EXCEPINFO{};
            excepInfo->scode = DISP_E_EXCEPTION;
            excepInfo->bstrSource = SysAllocString(u"Leafbind document server");
            excepInfo->bstrDescription = SysAllocString(Utf8ToUtf16(error.description));
        }
        return error.status;
    } catch (const std::bad_alloc&) {
        if (result)
            VariantClear(result);
        return E_OUTOFMEMORY;
    }
}

void ReturnInt(VARIANT* result, int32_t value) {
    if (!result)
        return;
    result->vt = VT_I4;
    result->lVal = value;
}

void ReturnText(VARIANT* result, const std::u16string& value) {
    if (!result)
        return;
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocString(value);
}

void ReturnObject(VARIANT* result, IDispatch* object) {
    if (!result) {
        if (object)
            object->Release();
        return;
    }
    if (!object) {
        result->vt = VT_DISPATCH;
        result->pdispVal = nullptr;
        return;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
}

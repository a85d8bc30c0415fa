#include "Variant.h"

#include "Bstr.h"
#include "HResult.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

void VariantInit(VARIANT* value) {
    std::memset(value, 0, sizeof *value);
    value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* value) {
    if (!value)
        return E_POINTER;
    switch (value->vt) {
    case VT_BSTR:
        SysFreeString(value->bstrVal);
        break;
    case VT_DISPATCH:
        if (value->pdispVal)
            reinterpret_cast<IUnknown*>(value->pdispVal)->Release();
        break;
    case VT_UNKNOWN:
        if (value->punkVal)
            value->punkVal->Release();
        break;
    default:
        break;
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* target, const VARIANT* source) {
    if (!target || !source)
        return E_POINTER;
    if (target == source)
        return S_OK;
    VARIANT copy = *source;
    if (source->vt == VT_BSTR && source->bstrVal) {
        copy.bstrVal = SysAllocString(BstrView(source->bstrVal));
        if (!copy.bstrVal)
            return E_OUTOFMEMORY;
    } else if (source->vt == VT_DISPATCH && source->pdispVal) {
        reinterpret_cast<IUnknown*>(source->pdispVal)->AddRef();
    } else if (source->vt == VT_UNKNOWN && source->punkVal) {
        source->punkVal->AddRef();
    }
    VariantClear(target);
    *target = copy;
    return S_OK;
}

namespace {

bool IsNumeric(VARTYPE type) {
    return type == VT_I2 || type == VT_I4 || type == VT_R4 || type == VT_R8 || type == VT_BOOL;
}

double NumberOf(const VARIANT& value) {
    switch (value.vt) {
    case VT_I2:
        return value.iVal;
    case VT_I4:
        return value.lVal;
    case VT_R4:
        return value.fltVal;
    case VT_R8:
        return value.dblVal;
    case VT_BOOL:
        return value.boolVal ? -1.0 : 0.0;
    default:
        return 0.0;
    }
}

// Integers round half to even, as OLE Automation coerces.
HRESULT NumberToVariant(double number, VARTYPE type, VARIANT* out) {
    if (std::isnan(number))
        return DISP_E_TYPEMISMATCH;
    switch (type) {
    case VT_I2:
    case VT_I4: {
        const double rounded = std::nearbyint(number);
        const double low = type == VT_I2 ? std::numeric_limits<int16_t>::min() : std::numeric_limits<int32_t>::min();
        const double high = type == VT_I2 ? std::numeric_limits<int16_t>::max() : std::numeric_limits<int32_t>::max();
        if (rounded < low || rounded > high)
            return DISP_E_OVERFLOW;
        out->vt = type;
        if (type == VT_I2)
            out->iVal = static_cast<int16_t>(rounded);
        else
            out->lVal = static_cast<int32_t>(rounded);
        return S_OK;
    }
    case VT_R4:
        if (std::fabs(number) > std::numeric_limits<float>::max())
            return DISP_E_OVERFLOW;
        out->vt = VT_R4;
        out->fltVal = static_cast<float>(number);
        return S_OK;
    case VT_R8:
        out->vt = VT_R8;
        out->dblVal = number;
        return S_OK;
    case VT_BOOL:
        out->vt = VT_BOOL;
        out->boolVal = number != 0.0 ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

std::u16string NumberToText(double number) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, number);
    (void)ec;
    return std::u16string(buffer, end);
}

HRESULT TextToNumber(std::u16string_view text, double& number) {
    std::string ascii;
    for (char16_t c : text) {
        if (c > 0x7F)
            return DISP_E_TYPEMISMATCH;
        ascii.push_back(static_cast<char>(c));
    }
    const auto first = ascii.find_first_not_of(" \t");
    const auto last = ascii.find_last_not_of(" \t");
    if (first == std::string::npos)
        return DISP_E_TYPEMISMATCH;
    const char* begin = ascii.data() + first;
    const char* end = ascii.data() + last + 1;
    auto [stop, ec] = std::from_chars(begin, end, number);
    if (ec == std::errc::result_out_of_range)
        return DISP_E_OVERFLOW;
    if (ec != std::errc() || stop != end)
        return DISP_E_TYPEMISMATCH;
    return S_OK;
}

} // namespace

HRESULT VariantChangeType(VARIANT* target, const VARIANT* source, WORD /*flags*/, VARTYPE type) {
    if (!target || !source)
        return E_POINTER;
    if (source->vt == type)
        return VariantCopy(target, source);

    VARIANT converted;
    VariantInit(&converted);
    HRESULT status = DISP_E_TYPEMISMATCH;
    if (source->vt == VT_EMPTY) {
        // An empty value reads as zero or as the empty string.
        if (IsNumeric(type))
            status = NumberToVariant(0.0, type, &converted);
        else if (type == VT_BSTR) {
            converted.vt = VT_BSTR;
            converted.bstrVal = SysAllocStringLen(nullptr, 0);
            status = converted.bstrVal ? S_OK : E_OUTOFMEMORY;
        }
    } else if (IsNumeric(source->vt) && IsNumeric(type)) {
        status = NumberToVariant(NumberOf(*source), type, &converted);
    } else if (IsNumeric(source->vt) && type == VT_BSTR) {
        converted.vt = VT_BSTR;
        converted.bstrVal = SysAllocString(NumberToText(NumberOf(*source)));
        status = converted.bstrVal ? S_OK : E_OUTOFMEMORY;
    } else if (source->vt == VT_BSTR && IsNumeric(type)) {
        double number = 0;
        status = TextToNumber(BstrView(source->bstrVal), number);
        if (SUCCEEDED(status))
            status = NumberToVariant(number, type, &converted);
    }
    if (FAILED(status))
        return status;
    VariantClear(target);
    *target = converted;
    return S_OK;
}

ScopedVariant ScopedVariant::I2(int16_t number) {
    ScopedVariant v;
    v.value_.vt = VT_I2;
    v.value_.iVal = number;
    return v;
}

ScopedVariant ScopedVariant::I4(int32_t number) {
    ScopedVariant v;
    v.value_.vt = VT_I4;
    v.value_.lVal = number;
    return v;
}

ScopedVariant ScopedVariant::Bool(bool flag) {
    ScopedVariant v;
    v.value_.vt = VT_BOOL;
    v.value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

ScopedVariant ScopedVariant::Bstr(std::u16string_view text) {
    ScopedVariant v;
    v.value_.vt = VT_BSTR;
    v.value_.bstrVal = SysAllocString(text);
    return v;
}

ScopedVariant ScopedVariant::Missing() {
    ScopedVariant v;
    v.value_.vt = VT_ERROR;
    v.value_.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

#pragma once
// VARIANT handling with OLE Automation's rules, and ScopedVariant, a VARIANT that clears itself.

#include "ComTypes.h"

#include <string_view>

void VariantInit(VARIANT* value);
// Frees what the VARIANT owns (its BSTR, its reference on an object) and leaves it VT_EMPTY.
HRESULT VariantClear(VARIANT* value);
HRESULT VariantCopy(VARIANT* target, const VARIANT* source);
// Coerces source into type; DISP_E_TYPEMISMATCH where no sensible conversion exists, DISP_E_OVERFLOW when out of
// range. target may equal source.
HRESULT VariantChangeType(VARIANT* target, const VARIANT* source, WORD flags, VARTYPE type);

class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&value_); }
    ~ScopedVariant() { VariantClear(&value_); }
    ScopedVariant(ScopedVariant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    static ScopedVariant I2(int16_t number);
    static ScopedVariant I4(int32_t number);
    static ScopedVariant Bool(bool flag);
    // Text from UTF-16; narrow text goes through the code page conversion first.
    static ScopedVariant Bstr(std::u16string_view text);
    // The value of an optional argument left out.
    static ScopedVariant Missing();

    VARIANT* operator&() { return &value_; }
    VARIANT& get() { return value_; }
    const VARIANT& get() const { return value_; }

private:
    VARIANT value_;
};

#include "registry/Variant.h"

#include <cmath>

#include "registry/OleAutomation.h"

namespace modRegistry {
namespace {

// Some runtimes turn NaN into an integer without complaint; an integer from a
// number that is not finite is an overflow everywhere.
bool IsNonFiniteNumber(const VARIANT& value) {
    return (value.vt == VT_R8 && !std::isfinite(value.dblVal)) ||
           (value.vt == VT_R4 && !std::isfinite(value.fltVal));
}

bool IsIntegerType(VARTYPE type) {
    return type == VT_I1 || type == VT_I2 || type == VT_I4 || type == VT_I8 || type == VT_UI1 ||
           type == VT_UI2 || type == VT_UI4 || type == VT_UI8 || type == VT_INT || type == VT_UINT;
}

}  // namespace

Variant::Variant() noexcept : value_{} {}  // all zero: VT_EMPTY

Variant::Variant(std::int16_t number) noexcept : Variant() {
    value_.vt = VT_I2;
    value_.iVal = number;
}

Variant::Variant(std::int32_t number) noexcept : Variant() {
    value_.vt = VT_I4;
    value_.lVal = number;
}

Variant::Variant(double number) noexcept : Variant() {
    value_.vt = VT_R8;
    value_.dblVal = number;
}

Variant::Variant(bool flag) noexcept : Variant() {
    value_.vt = VT_BOOL;
    value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(const wchar_t* text) noexcept : Variant() {
    value_.bstrVal = ole::AllocString(text != nullptr ? text : L"");
    // Out of memory: an error value that no conversion accepts, never an empty text.
    value_.vt = value_.bstrVal != nullptr ? VT_BSTR : VT_ERROR;
}

Variant::Variant(const Variant& other) noexcept : Variant() {
    if (FAILED(ole::Copy(value_, other.value_))) {
        value_.vt = VT_ERROR;
    }
}

Variant& Variant::operator=(const Variant& other) noexcept {
    if (this != &other && FAILED(ole::Copy(value_, other.value_))) {
        value_.vt = VT_ERROR;
    }
    return *this;
}

Variant::~Variant() {
    ole::Clear(value_);
}

HRESULT Variant::ConvertTo(VARTYPE type, Variant& out) const noexcept {
    ole::Clear(out.value_);
    if (IsIntegerType(type) && IsNonFiniteNumber(value_)) {
        return DISP_E_OVERFLOW;
    }
    return ole::ChangeType(out.value_, value_, type);
}

}  // namespace modRegistry

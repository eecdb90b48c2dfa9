// An owned VARIANT: the number, boolean or text that a registry write stores.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

namespace modRegistry {

class Variant {
  public:
    Variant() noexcept;
    explicit Variant(std::int16_t number) noexcept;
    explicit Variant(std::int32_t number) noexcept;
    explicit Variant(double number) noexcept;
    explicit Variant(bool flag) noexcept;
    explicit Variant(const wchar_t* text) noexcept;
    Variant(const Variant& other) noexcept;
    Variant& operator=(const Variant& other) noexcept;
    ~Variant();

    const VARIANT& Get() const noexcept { return value_; }

    // Coerces the value to `type` by the platform's variant rules (numeric
    // text, ties to even, booleans as True/False text and as -1 when true).
    // Returns S_OK or the conversion's HRESULT; `out` is left empty on failure.
    HRESULT ConvertTo(VARTYPE type, Variant& out) const noexcept;

  private:
    VARIANT value_;
};

}  // namespace modRegistry

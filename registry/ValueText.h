// A value converted to text and then to the ANSI code page, as REG_SZ data
// and profile strings are stored.
#pragma once

#include "registry/AnsiText.h"
#include "registry/OleAutomation.h"
#include "registry/Variant.h"
#include "registry/modRegistry.h"

namespace modRegistry {

class ValueText {
  public:
    explicit ValueText(const Variant& value) noexcept
        : conversion_(value.ConvertTo(VT_BSTR, text_)), ansi_(Wide(), ole::StringLength(Wide())) {}

    // 0, or the code of the conversion that failed.
    RegStatus Status() const noexcept {
        return FAILED(conversion_) ? static_cast<RegStatus>(conversion_)
                                   : static_cast<RegStatus>(ansi_.Error());
    }
    const AnsiText& Ansi() const noexcept { return ansi_; }

  private:
    BSTR Wide() const noexcept { return text_.Get().vt == VT_BSTR ? text_.Get().bstrVal : nullptr; }

    Variant text_;
    HRESULT conversion_;
    AnsiText ansi_;
};

}  // namespace modRegistry

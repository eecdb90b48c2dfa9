#include "registry/OleAutomation.h"

#include "platform/SystemFunction.h"

namespace modRegistry::ole {
namespace {

struct Functions {
    decltype(&::SysAllocString) allocString;
    decltype(&::SysStringLen) stringLength;
    decltype(&::VariantCopy) copy;
    decltype(&::VariantClear) clear;
    decltype(&::VariantChangeTypeEx) changeType;
};

// oleaut32 is on every supported Windows: where it could not be loaded (short
// of memory, say), the next call tries again.
bool BindAll(Functions& functions) noexcept {
    using platform::Bind;
    const HMODULE dll = platform::LoadSystemLibrary(L"oleaut32.dll");  // null: all stay null
    Bind(dll, "SysAllocString", functions.allocString);
    Bind(dll, "SysStringLen", functions.stringLength);
    Bind(dll, "VariantCopy", functions.copy);
    Bind(dll, "VariantClear", functions.clear);
    Bind(dll, "VariantChangeTypeEx", functions.changeType);
    return dll != nullptr;
}

const Functions& Bound() {
    return platform::BoundOnce<Functions, BindAll>();
}

}  // namespace

BSTR AllocString(const wchar_t* text) noexcept {
    const auto function = Bound().allocString;
    return function != nullptr ? function(text) : nullptr;
}

UINT StringLength(BSTR text) noexcept {
    const auto function = Bound().stringLength;
    return function != nullptr ? function(text) : 0;
}

HRESULT Copy(VARIANT& to, const VARIANT& from) noexcept {
    const auto function = Bound().copy;
    return function != nullptr ? function(&to, const_cast<VARIANT*>(&from)) : E_OUTOFMEMORY;
}

HRESULT Clear(VARIANT& value) noexcept {
    const auto function = Bound().clear;
    return function != nullptr ? function(&value) : E_OUTOFMEMORY;
}

HRESULT ChangeType(VARIANT& to, const VARIANT& from, VARTYPE type) noexcept {
    const auto function = Bound().changeType;
    return function != nullptr ? function(&to, const_cast<VARIANT*>(&from), LOCALE_USER_DEFAULT,
                                          VARIANT_ALPHABOOL, type)
                               : E_OUTOFMEMORY;
}

}  // namespace modRegistry::ole

// The few oleaut32 functions that value conversion needs. oleaut32 brings
// ole32, rpcrt4 and more with it, a sixth of the program's start-up time, so
// it is loaded from the system directory on the first call, never at start.
// Where it cannot be loaded, each call fails as it would out of memory.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace modRegistry::ole {

BSTR AllocString(const wchar_t* text) noexcept;  // null on failure
UINT StringLength(BSTR text) noexcept;
HRESULT Copy(VARIANT& to, const VARIANT& from) noexcept;
HRESULT Clear(VARIANT& value) noexcept;
// VariantChangeTypeEx in the user's locale, booleans as True and False text.
HRESULT ChangeType(VARIANT& to, const VARIANT& from, VARTYPE type) noexcept;

}  // namespace modRegistry::ole

// What the process does first (ProcessStart.h), before its stack canary is
// drawn: it limits where DLLs come from and ends itself on heap corruption.
#pragma once

namespace platform {

// DLLs that the system loads on the program's behalf come from the system
// directory only, never from beside the program or the current directory; and
// a corrupted heap ends the process instead of being used. False where this
// Windows cannot restrict the DLL search (Windows 7 without its update).
bool HardenProcess() noexcept;

}  // namespace platform

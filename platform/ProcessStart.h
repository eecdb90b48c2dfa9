// The first work of every process of the program, the program itself and its
// test programs alike, before any function that checks the stack canary runs.
#pragma once

namespace platform {

// Hardens the process (ProcessHardening.h), then draws the stack canary: from
// the system's random source where the DLL search could be restricted, else
// mixed from the clock and the process (StackGuard.h).
void StartProcess() noexcept;

}  // namespace platform

// The program's entry point. No C run-time library starts the program or
// ends it: the system calls StartMoxvane, and nothing runs before it.
#include <windows.h>

#include "platform/ProcessStart.h"
#include "ui/Form1.h"

namespace {

// Shows Form1 and runs it until it closes; the exit code of its loop. The DPI
// mode comes from the manifest (resources/Moxvane.exe.manifest).
int ShowForm1UntilClosed(HINSTANCE instance) {
    const HWND form = ui::CreateForm1(instance);
    if (form == nullptr) {
        return 1;
    }
    ShowWindow(form, SW_SHOWNORMAL);
    return ui::RunForm1(form);
}

}  // namespace

// Not checked by the canary: it is drawn here, and this function never
// returns, so no check could be reached.
extern "C" [[noreturn]] __attribute__((no_stack_protector)) void WINAPI StartMoxvane() {
    platform::StartProcess();
    ExitProcess(static_cast<UINT>(ShowForm1UntilClosed(GetModuleHandleW(nullptr))));
}

#include "ui/MessageBoxCloser.h"

#include "ui/MessageBoxSearch.h"

namespace testing_support {
namespace {

std::wstring WindowText(HWND window) {
    wchar_t buffer[1024] = L"";
    GetWindowTextW(window, buffer, 1024);
    return buffer;
}

}  // namespace

MessageBoxCloser::MessageBoxCloser() : thread_(CreateThread(nullptr, 0, Watch, this, 0, nullptr)) {}

MessageBoxCloser::~MessageBoxCloser() {
    Wait();
    CloseHandle(thread_);
}

bool MessageBoxCloser::Wait() {
    WaitForSingleObject(thread_, 20000);
    return closed_;
}

DWORD WINAPI MessageBoxCloser::Watch(void* self) {
    auto* const closer = static_cast<MessageBoxCloser*>(self);
    // Any box but one of this watcher's own.
    const DWORD watcher = GetCurrentThreadId();
    HWND box = nullptr;
    for (int attempt = 0; attempt < 400 && box == nullptr; ++attempt) {
        Sleep(25);
        box = FindMessageBox([watcher](HWND window) {
            return GetWindowThreadProcessId(window, nullptr) != watcher;
        });
    }
    if (box != nullptr) {
        closer->title_ = WindowText(box);
        closer->text_ = WindowText(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        closer->closed_ = true;
    }
    return 0;
}

}  // namespace testing_support

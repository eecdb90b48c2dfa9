#include "ui/MessageBoxCloser.h"

namespace testing_support {
namespace {

std::wstring WindowText(HWND window) {
    wchar_t buffer[1024] = L"";
    GetWindowTextW(window, buffer, 1024);
    return buffer;
}

struct BoxSearch {
    DWORD threadId;
    HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto* const search = reinterpret_cast<BoxSearch*>(param);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (GetWindowThreadProcessId(window, nullptr) != search->threadId &&
        lstrcmpW(className, L"#32770") == 0 && IsWindowVisible(window)) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
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
    BoxSearch search{GetCurrentThreadId(), nullptr};
    for (int attempt = 0; attempt < 400 && search.box == nullptr; ++attempt) {
        Sleep(25);
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    }
    if (search.box != nullptr) {
        closer->title_ = WindowText(search.box);
        closer->text_ = WindowText(GetDlgItem(search.box, 0xFFFF));
        PostMessageW(search.box, WM_COMMAND, IDOK, 0);
        closer->closed_ = true;
    }
    return 0;
}

}  // namespace testing_support

#include "ui/MessageBoxCloser.h"

#include <algorithm>

#include "ui/MessageBoxSearch.h"

namespace testing_support {
namespace {

// The closer of this thread: a hook procedure has no context of its own.
thread_local MessageBoxCloser* activeCloser = nullptr;

std::wstring WindowText(HWND window) {
    wchar_t buffer[1024] = L"";
    GetWindowTextW(window, buffer, 1024);
    return buffer;
}

const std::wstring kNone;

}  // namespace

MessageBoxCloser::MessageBoxCloser()
    : hook_(SetWindowsHookExW(WH_CBT, OnCbt, nullptr, GetCurrentThreadId())) {
    activeCloser = this;
}

MessageBoxCloser::~MessageBoxCloser() {
    UnhookWindowsHookEx(hook_);
    activeCloser = nullptr;
}

const std::wstring& MessageBoxCloser::Title() const {
    return boxes_.empty() ? kNone : boxes_.back().title;
}

const std::wstring& MessageBoxCloser::Text() const {
    return boxes_.empty() ? kNone : boxes_.back().text;
}

size_t MessageBoxCloser::Count(const std::wstring& title) const {
    return std::count_if(boxes_.begin(), boxes_.end(),
                         [&title](const Box& box) { return box.title == title; });
}

// The box is complete when it is activated; the posted OK ends its modal loop.
LRESULT CALLBACK MessageBoxCloser::OnCbt(int code, WPARAM wParam, LPARAM lParam) {
    const auto window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && IsMessageBox(window) && activeCloser != nullptr) {
        activeCloser->boxes_.push_back(
            {WindowText(window), WindowText(GetDlgItem(window, 0xFFFF))});
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace testing_support

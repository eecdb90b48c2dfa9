// Waits on a second thread for the next message box, records its title and
// text, and presses its OK button: lets a test run an action that ends in a
// modal box.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

class MessageBoxCloser {
  public:
    MessageBoxCloser();
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;
    ~MessageBoxCloser();

    // Waits for the box to have been closed; false if none appeared in time.
    bool Wait();
    const std::wstring& Title() const { return title_; }
    const std::wstring& Text() const { return text_; }

  private:
    static DWORD WINAPI Watch(void* self);

    std::wstring title_;
    std::wstring text_;
    bool closed_ = false;
    HANDLE thread_;  // last: the watcher starts once everything it writes exists
};

}  // namespace testing_support

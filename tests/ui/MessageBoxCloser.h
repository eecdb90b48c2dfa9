// Presses OK on each message box that this thread shows while the closer
// lives, as soon as the box is activated, and keeps every box's title and
// text: lets a test run actions that end in modal boxes, as many as it likes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class MessageBoxCloser {
  public:
    MessageBoxCloser();
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;
    ~MessageBoxCloser();

    // Whether a box has been shown and closed.
    bool Closed() const { return !boxes_.empty(); }
    // The last box's title and text; empty when there was none.
    const std::wstring& Title() const;
    const std::wstring& Text() const;
    // How many boxes were closed, in all or with this title.
    size_t Count() const { return boxes_.size(); }
    size_t Count(const std::wstring& title) const;

  private:
    struct Box {
        std::wstring title;
        std::wstring text;
    };

    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam);

    std::vector<Box> boxes_;
    HHOOK hook_;
};

}  // namespace testing_support

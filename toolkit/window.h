#pragma once
// A non-owning window handle with one method per message or API call.
#include <windows.h>

#include <string>

namespace klangrid::toolkit {

class Window {
 public:
  Window() = default;
  explicit Window(HWND hwnd) : hwnd_(hwnd) {}

  HWND Handle() const { return hwnd_; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return SendMessageA(hwnd_, message, wParam, lParam);
  }
  BOOL Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return PostMessageA(hwnd_, message, wParam, lParam);
  }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // The window text into buffer, cut to size - 1 characters and always
  // NUL-terminated; returns the characters copied (0 for no window).
  int GetText(char* buffer, int size) const {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    const int copied = GetWindowTextA(hwnd_, buffer, size);
    return copied > 0 ? copied : 0;
  }
  // The whole window text; empty for no window. For tests: the program
  // reads into fixed buffers, since std::string would bring the C++
  // runtime's exception machinery into the executable.
  std::string GetText() const {
    int length = GetWindowTextLengthA(hwnd_);
    std::string text(std::size_t(length > 0 ? length : 0) + 1, '\0');
    int copied = GetWindowTextA(hwnd_, text.data(), int(text.size()));
    text.resize(std::size_t(copied > 0 ? copied : 0));
    return text;
  }
  BOOL Enable(bool enable) const { return EnableWindow(hwnd_, enable ? TRUE : FALSE); }
  bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

 protected:
  HWND hwnd_ = nullptr;
};

}  // namespace klangrid::toolkit

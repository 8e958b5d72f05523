#pragma once
// A non-owning window handle with one method per message or API call.
#include <windows.h>

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
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // The window text into buffer, cut to size - 1 characters and always
  // NUL-terminated; returns the characters copied (0 for no window).
  int GetText(char* buffer, int size) const {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    const int copied = GetWindowTextA(hwnd_, buffer, size);
    return copied > 0 ? copied : 0;
  }
  // Sets the big or the small icon of the window; returns the previous one.
  HICON SetIcon(HICON icon, bool big) const {
    return HICON(Send(WM_SETICON, big ? ICON_BIG : ICON_SMALL, LPARAM(icon)));
  }
  BOOL Enable(bool enable) const { return EnableWindow(hwnd_, enable ? TRUE : FALSE); }

 protected:
  HWND hwnd_ = nullptr;
};

}  // namespace klangrid::toolkit

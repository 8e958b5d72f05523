#pragma once
// Combo box: each method sends one CB_ message; -1 means "none" as in Win32.
#include <cstddef>

#include "toolkit/window.h"

namespace klangrid::toolkit {

class ComboBox : public Window {
 public:
  int AddString(const char* text) const { return int(Send(CB_ADDSTRING, 0, LPARAM(text))); }
  int InsertString(int index, const char* text) const {
    return int(Send(CB_INSERTSTRING, WPARAM(index), LPARAM(text)));
  }
  int DeleteString(int index) const { return int(Send(CB_DELETESTRING, WPARAM(index))); }
  int GetCount() const { return int(Send(CB_GETCOUNT)); }
  int GetCurSel() const { return int(Send(CB_GETCURSEL)); }
  int SetCurSel(int index) const { return int(Send(CB_SETCURSEL, WPARAM(index))); }
  int GetLBTextLen(int index) const { return int(Send(CB_GETLBTEXTLEN, WPARAM(index))); }
  // Entry text into buffer. CB_GETLBTEXT has no size argument, so an entry
  // that does not fit is refused (false, buffer emptied) rather than overrun.
  bool GetLBText(int index, char* buffer, std::size_t size) const {
    if (size == 0) return false;
    buffer[0] = '\0';
    int length = GetLBTextLen(index);
    if (length == CB_ERR || std::size_t(length) >= size) return false;
    return Send(CB_GETLBTEXT, WPARAM(index), LPARAM(buffer)) != CB_ERR;
  }
  // Index of the entry whose whole text equals text, ignoring case, or -1.
  int FindStringExact(const char* text) const {
    return int(Send(CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(text)));
  }
};

}  // namespace klangrid::toolkit

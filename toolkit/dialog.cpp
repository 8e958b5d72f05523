#include "toolkit/dialog.h"

namespace klangrid::toolkit {
namespace {

HWND gMainWindow = nullptr;
Dialog::ShownHook gShownHook;

// Reads the position from the dialog's template: the dialog manager
// places a template at 0, 0 in the owner's corner, where the user expects
// it centred.
bool TemplateAtOrigin(int templateId) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  if (!info) return false;
  HGLOBAL handle = LoadResource(module, info);
  const auto* bytes = static_cast<const BYTE*>(handle ? LockResource(handle) : nullptr);
  if (!bytes || SizeofResource(module, info) < 26) return false;
  const auto word = [bytes](int offset) { return short(bytes[offset] | (bytes[offset + 1] << 8)); };
  bool extended = word(0) == 1 && word(2) == -1;
  int offset = extended ? 18 : 10;  // x, y follow style and item count
  return word(offset) == 0 && word(offset + 2) == 0;
}

}  // namespace

void DDX_Control(DataExchange& dx, int id, Window& control) {
  // Bound at every exchange: a wrapper kept from an earlier opening holds
  // the handle of a window that is gone.
  control.Attach(GetDlgItem(dx.dialog, id));
}

void DDX_Text(DataExchange& dx, int id, char* text, std::size_t size) {
  if (!text || size == 0) return;
  HWND edit = GetDlgItem(dx.dialog, id);
  const int capacity = size > 0x7FFFFFFF ? 0x7FFFFFFF : int(size);
  if (!dx.saving) {
    SendMessageA(edit, EM_LIMITTEXT, WPARAM(capacity - 1), 0);
    SetWindowTextA(edit, text);
    return;
  }
  Window(edit).GetText(text, capacity);
}

Dialog::Dialog(int templateId, HWND owner) : templateId_(templateId), owner_(owner) {}

void Dialog::SetMainWindow(HWND hwnd) { gMainWindow = hwnd; }
HWND Dialog::MainWindow() { return gMainWindow; }
void Dialog::SetShownHook(ShownHook hook) { gShownHook = hook; }

INT_PTR Dialog::DoModal() {
  HWND owner = owner_ ? owner_ : gMainWindow;
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner,
                                   DialogProc, LPARAM(this));
  hwnd_ = nullptr;
  return result;
}

void Dialog::EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }

void Dialog::GotoDlgCtrl(HWND control) const { Send(WM_NEXTDLGCTL, WPARAM(control), TRUE); }

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::UpdateData(bool saving) {
  DataExchange dx{hwnd_, saving};
  DoDataExchange(dx);
}

bool Dialog::OnMessage(Message&) { return false; }

bool Dialog::Matches(UINT entryMessage, UINT id, UINT code, const Message& message) {
  if (entryMessage != message.message) return false;
  if (message.message == WM_COMMAND)
    return LOWORD(message.wParam) == id && HIWORD(message.wParam) == code;
  if (message.message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(message.lParam);
    return header->idFrom == id && header->code == code;
  }
  return true;
}

void Dialog::CentreOverOwner() {
  RECT area{};
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT self{};
  GetWindowRect(hwnd_, &self);
  int width = self.right - self.left;
  int height = self.bottom - self.top;
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  // Keep the whole dialog on the screen even over an owner near its edge.
  RECT screen{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
  if (x + width > screen.right) x = screen.right - width;
  if (y + height > screen.bottom) y = screen.bottom - height;
  if (x < screen.left) x = screen.left;
  if (y < screen.top) y = screen.top;
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR Dialog::HandleInitDialog() {
  BOOL defaultFocus = OnInitDialog();
  if (TemplateAtOrigin(templateId_)) CentreOverOwner();
  if (defaultFocus) {
    // Moving the focus through the dialog manager also makes a focused push
    // button the default one, so Enter presses the button that has the
    // focus (Cancel in the warnings), not the template's default.
    HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (first) GotoDlgCtrl(first);
  }
  if (gShownHook) gShownHook(*this);
  return FALSE;  // the focus is set
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, LONG_PTR(self));
    self->hwnd_ = hwnd;
    return self->HandleInitDialog();
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;

  Message routed{message, wParam, lParam};
  if (self->OnMessage(routed)) {
    switch (message) {
      // These answer through the return value itself.
      case WM_QUERYDRAGICON:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORSCROLLBAR:
        return INT_PTR(routed.result);
      default:
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, LONG_PTR(routed.result));
        return TRUE;
    }
  }
  if (message == WM_COMMAND) {
    // Buttons 1 and 2; Esc and the close box arrive as IDCANCEL.
    if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
      self->OnOK();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
      self->OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace klangrid::toolkit

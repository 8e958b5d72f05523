// The least a dialog program can do: open one empty modal dialog and end
// when it closes. The start-up benchmark measures the program against it.
#include <windows.h>

namespace {

constexpr int kEmptyDialog = 100;

INT_PTR CALLBACK EmptyDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      // Esc and the close box arrive as IDCANCEL.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  DialogBoxParamA(instance, MAKEINTRESOURCEA(kEmptyDialog), nullptr, EmptyDialogProc, 0);
  return 0;
}

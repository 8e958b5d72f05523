#pragma once
// The dialog procedure both baselines of the start-up benchmark share, so
// they differ only in their template and in the work done at WM_INITDIALOG
// (a function handed in as DialogBoxParamA's parameter, or none).
#include <windows.h>

#include "bench/step_timer.h"

namespace bench {

using InitWork = void (*)();

inline INT_PTR CALLBACK BaselineDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      MarkStep("dialog-created");
      if (lParam) reinterpret_cast<InitWork>(lParam)();
      MarkStep("midi-query");
      return TRUE;
    case WM_PAINT:
      MarkStep("first-paint");
      break;
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

}  // namespace bench

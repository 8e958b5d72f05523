// The least a dialog program can do: open one empty modal dialog and end
// when it closes. The start-up benchmark measures the program against it.
#include <windows.h>

#include "baseline_dialog.h"

namespace {

constexpr int kEmptyDialog = 100;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  bench::MarkStep("winmain");
  DialogBoxParamA(instance, MAKEINTRESOURCEA(kEmptyDialog), nullptr, bench::BaselineDialogProc, 0);
  bench::WriteSteps();
  return 0;
}

// The program's main dialog template with none of its code: the common
// controls set up as the program does them, and at WM_INITDIALOG only the
// MIDI output query the program cannot do without (it names the devices).
// The start-up benchmark measures the program against it, so that the ratio
// shows what the program's own work adds to what any use of the template
// costs.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include "bench/baseline_dialog.h"
#include "res/resource.h"

namespace {

void QueryMidiOutputs() {
  UINT count = midiOutGetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    MIDIOUTCAPSA caps;
    midiOutGetDevCapsA(id, &caps, sizeof caps);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  bench::MarkStep("winmain");
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  bench::MarkStep("app-ready");
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAPPER_DIALOG), nullptr, bench::BaselineDialogProc,
                  LPARAM(&QueryMidiOutputs));
  bench::WriteSteps();
  return 0;
}

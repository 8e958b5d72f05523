#include "ui/mapper_app.h"

#include "bench/step_timer.h"
#include "ui/mapper_dialog.h"

namespace klangrid::ui {

MapperApp::MapperApp(MapTables& tables, SettingsStore& store, MidiOutputEnumerator& outputs)
    : tables_(tables), store_(store), outputs_(outputs) {}

namespace {

// Held by the process that shows the dialog. Two dialogs editing at once
// would let the last OK overwrite the other's edits unseen.
constexpr const char* kDialogMutex = "Klangrid.MainDialog";

}  // namespace

bool MapperApp::DialogIsOpen() {
  const HANDLE open = OpenMutexA(SYNCHRONIZE, FALSE, kDialogMutex);
  if (!open) return false;
  CloseHandle(open);
  return true;
}

bool MapperApp::InitInstance() {
  bench::MarkStep("app-ready");
  const HANDLE mine = CreateMutexA(nullptr, FALSE, kDialogMutex);
  if (mine && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mine);
    MapperDialog::BringOpenDialogToFront();
    return false;
  }
  // The dialog makes itself the main window once it has one, so the small
  // dialogs it opens are owned by it; the result of the run is not needed:
  // OK has written what it must before the dialog ends.
  MapperDialog dialog(tables_, store_, outputs_);
  dialog.DoModal();
  if (mine) CloseHandle(mine);
  return false;
}

}  // namespace klangrid::ui

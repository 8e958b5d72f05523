// Entry point: wires the program's real dependencies into the one
// application object and hands over to it, or runs the switches given.
#include <windows.h>

#include <cstdlib>

#include "bench/step_timer.h"
#include "devices/win/winmm_enumerator.h"
#include "model/map_tables.h"
#include "res/resource.h"
#include "store/scheme_transfer.h"
#include "store/win/registry_store.h"
#include "store/win/system_host.h"
#include "ui/mapper_app.h"

namespace {

// Constructed in this order before WinMain runs; the tables start as the
// factory defaults, which the start-up writes to the factory key. The
// registry is HKEY_LOCAL_MACHINE in whichever view holds the driver's key.
klangrid::MapTables gTables;
klangrid::MachineRegistry gRegistry;
klangrid::WinmmEnumerator gOutputs;
klangrid::ui::MapperApp gApp(gTables, gRegistry.Store(), gOutputs);

// The switches run without a window; /? shows their usage. The exit code
// is a Win32 error code a script can test.
int RunSwitches(const klangrid::Command& command) {
  using klangrid::CommandAction;
  if (command.action == CommandAction::kUsage) {
    char usage[1536] = {};
    char caption[64] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_USAGE, usage, sizeof usage);
    LoadStringA(GetModuleHandleA(nullptr), IDS_USAGE_CAPTION, caption, sizeof caption);
    MessageBoxA(nullptr, usage, caption, MB_OK | MB_ICONINFORMATION);
    return klangrid::kExitOk;
  }
  if (klangrid::CommandWrites(command) && klangrid::ui::MapperApp::DialogIsOpen())
    return klangrid::kExitDialogOpen;
  klangrid::SystemHost host;
  return klangrid::RunCommand(command, gRegistry.Store(), host);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  bench::MarkStep("winmain");
  // The C runtime has split the command line by the usual quoting rules.
  klangrid::Command command;
  const int parsed = klangrid::ParseCommandLine(__argc - 1, __argv + 1, &command);
  if (parsed != klangrid::kExitOk) return parsed;
  if (command.action != klangrid::CommandAction::kDialog) return RunSwitches(command);
  klangrid::toolkit::Application* app = klangrid::toolkit::Application::Current();
  const int result = app ? app->Run() : 0;
  bench::WriteSteps();
  return result;
}

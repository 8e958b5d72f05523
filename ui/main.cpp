// Entry point: wires the program's real dependencies into the one
// application object and hands over to it.
#include <windows.h>

#include "devices/win/winmm_enumerator.h"
#include "model/map_tables.h"
#include "store/win/registry_store.h"
#include "ui/mapper_app.h"

namespace {

// Constructed in this order before WinMain runs; the tables start as the
// factory defaults, which the start-up writes to the factory key. The
// registry is HKEY_LOCAL_MACHINE in whichever view holds the driver's key.
klangrid::MapTables gTables;
klangrid::MachineRegistry gRegistry;
klangrid::WinmmEnumerator gOutputs;
klangrid::ui::MapperApp gApp(gTables, gRegistry.Store(), gOutputs);

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  klangrid::toolkit::Application* app = klangrid::toolkit::Application::Current();
  return app ? app->Run() : 0;
}

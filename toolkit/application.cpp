#include "toolkit/application.h"

#include <commctrl.h>

#include "toolkit/dpi.h"

namespace klangrid::toolkit {
namespace {
Application* gCurrent = nullptr;
}

Application::Application() { gCurrent = this; }
Application::~Application() {
  if (gCurrent == this) gCurrent = nullptr;
}

Application* Application::Current() { return gCurrent; }

int Application::Run() {
  // Before the first window: awareness cannot change once one exists.
  DeclareDpiAwareness();
  // The list views live in comctl32; their window class exists only once
  // it is registered here. Buttons, edits and combo boxes are user32's and
  // need nothing; ICC_STANDARD_CLASSES is a flag of the version 6 controls,
  // which this program does not ask for.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  InitInstance();
  return 0;
}

}  // namespace klangrid::toolkit

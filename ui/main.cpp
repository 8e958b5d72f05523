// Entry point: hands over to the one application object.
#include <windows.h>

#include "ui/toolkit/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  klangrid::ui::Application* app = klangrid::ui::Application::Current();
  return app ? app->Run() : 0;
}

#pragma once
// The application object: the entry point initialises the common controls
// and calls InitInstance of the one instance; the process ends when it returns.
#include <windows.h>

namespace klangrid::toolkit {

class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the program's single modal dialog; false: no message loop follows.
  virtual bool InitInstance() = 0;

  static Application* Current();
  // Called by WinMain.
  int Run();
};

}  // namespace klangrid::toolkit

#include "toolkit/dpi.h"

namespace klangrid::toolkit {
namespace {

// A user32 function by name, or null where this Windows lacks it. The
// detour through a function without parameters keeps the compiler from
// warning about the cast between unrelated function types.
template <class Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  FARPROC address = user32 ? GetProcAddress(user32, name) : nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// Where Windows cannot tell a metric for a DPI, the system's own value
// belongs to the system DPI, which is also what WindowDpi gives there.
int SystemMetricForDpi(int index, UINT dpi) {
  using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
  if (auto forDpi = User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi"))
    return forDpi(index, dpi);
  return GetSystemMetrics(index);
}

}  // namespace

DpiAwarenessApi SystemDpiAwarenessApi() {
  DpiAwarenessApi api{};
  api.isProcessDpiAware = User32Function<decltype(api.isProcessDpiAware)>("IsProcessDPIAware");
  api.setProcessDpiAwarenessContext =
      User32Function<decltype(api.setProcessDpiAwarenessContext)>("SetProcessDpiAwarenessContext");
  api.setProcessDpiAware = User32Function<decltype(api.setProcessDpiAware)>("SetProcessDPIAware");
  return api;
}

bool DeclareDpiAwareness(const DpiAwarenessApi& api) {
  // Before Vista there is nothing to declare: Windows never stretched a
  // program's windows.
  if (!api.isProcessDpiAware) return false;
  // Aware already, by the manifest: a second declaration could only fail,
  // or contradict what the manifest chose for this Windows.
  if (api.isProcessDpiAware()) return true;
  if (api.setProcessDpiAwarenessContext &&
      api.setProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
    return true;
  // Per-monitor awareness without version 2 would leave the dialogs unscaled
  // on a second monitor, so the fallback is system-wide awareness.
  return api.setProcessDpiAware && api.setProcessDpiAware();
}

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  if (auto forWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow")) {
    if (const UINT dpi = forWindow(window)) return dpi;  // 0: no such window
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? UINT(dpi) : kDesignDpi;
}

HICON LoadIconForDpi(int resourceId, bool smallIcon, UINT dpi) {
  const int width = SystemMetricForDpi(smallIcon ? SM_CXSMICON : SM_CXICON, dpi);
  const int height = SystemMetricForDpi(smallIcon ? SM_CYSMICON : SM_CYICON, dpi);
  // LoadImage takes the resource's image nearest that size and scales it
  // where none matches.
  return HICON(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                          width, height, 0));
}

}  // namespace klangrid::toolkit

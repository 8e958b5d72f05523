#pragma once
// Display scale. The functions that give a window its own DPI and declare
// per-monitor awareness came with Windows 10; they are looked up at run time,
// so the program still starts on older Windows, which then gets the
// system-wide values.
#include <windows.h>

namespace klangrid::toolkit {

// The DPI that pixel sizes in the design are meant for: 100 % display scale.
constexpr UINT kDesignDpi = 96;

// The process's DPI-awareness functions; null where this Windows lacks one.
struct DpiAwarenessApi {
  BOOL(WINAPI* isProcessDpiAware)();                                     // Vista
  BOOL(WINAPI* setProcessDpiAwarenessContext)(DPI_AWARENESS_CONTEXT);  // Windows 10 1703
  BOOL(WINAPI* setProcessDpiAware)();                                    // Vista
};
DpiAwarenessApi SystemDpiAwarenessApi();

// Makes the process DPI-aware before its first window unless it already is:
// the manifest normally has done that and stays in charge. Per-monitor v2
// where the system offers it, system-aware otherwise. True when the process
// is aware afterwards.
bool DeclareDpiAwareness(const DpiAwarenessApi& api = SystemDpiAwarenessApi());

// The DPI window is shown at: its monitor's for a per-monitor aware process,
// the system's otherwise; kDesignDpi when neither can be had.
UINT WindowDpi(HWND window);

// Icon resourceId of this program at the size the system uses for small or
// big icons at dpi. Not shared: the caller destroys it with DestroyIcon.
// Null when it cannot be loaded.
HICON LoadIconForDpi(int resourceId, bool smallIcon, UINT dpi);

}  // namespace klangrid::toolkit

// Form1 and the screen's DPI: the process's DPI mode, the DPI the window
// starts at, its size at a DPI, and where it goes when its DPI changes. The
// one place for the rules that differ between Windows versions and modes.
#pragma once

#include <windows.h>

// Sent under per-monitor v2 only (Windows 10 1703 on); the headers declare it
// only when building for that version.
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace ui {

// A window's DPI mode, which the program's manifest asks for: per-monitor v2
// (Windows 10 1703 on), else per monitor (8.1 on), else the system DPI
// (Windows 7, or a compatibility setting that overrides the manifest). Only
// per-monitor v2 scales the frame with the window's DPI; only the per-monitor
// modes lay the window out again when its DPI changes (the system stretches
// the others' pixels).
enum class DpiMode { SystemAware, PerMonitor, PerMonitorV2 };

// The window's own mode: its DPI awareness context (Windows 10 1607 on), else
// the process's awareness (8.1), else the system DPI.
DpiMode DpiModeOf(HWND window) noexcept;

// The DPI of the monitor the window is on: GetDpiForWindow (Windows 10 1607),
// else GetDpiForMonitor (8.1), else the system DPI.
int MonitorDpiOf(HWND window) noexcept;

// The window size whose client area is Form1's at `dpi`, with the frame the
// system draws in that mode.
SIZE Form1WindowSize(int dpi, DpiMode mode) noexcept;

// Where the window goes when its DPI changes to `dpi`. Under per-monitor v2,
// the rectangle the system suggests, as it is: it is computed from the answer
// to WM_GETDPISCALEDSIZE, and anything else makes a window being dragged jump
// under the cursor. In older modes the frame keeps its size, so the suggested
// top-left with the client area exact.
RECT Form1RectForDpiChange(int dpi, const RECT& suggested, DpiMode mode) noexcept;

}  // namespace ui

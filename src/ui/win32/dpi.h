// Dots per inch of windows and monitors and the system values that depend on them. The functions
// for per-monitor scale came with Windows 8.1 and 10 (1607); they are looked up by name, and where
// they are missing the system's scale answers (what a system-aware program sees on Vista and 7).
#pragma once
#include <windows.h>

#include "ui/scale.h"

// The scale of the primary monitor, which the notification area and new windows start on.
int SystemDpi();
int DpiForMonitor(HMONITOR monitor);
int DpiForWindow(HWND window);
// The dpi of the monitor nearest the point (screen pixels).
int DpiAtPoint(POINT p);
// The primary monitor's scale now (the notification area's); SystemDpi stays what it was at start.
int PrimaryMonitorDpi();
// GetSystemMetrics at that dpi (icon sizes, frame widths).
int SystemMetricForDpi(int index, int dpi);
// The window rectangle around a client rectangle, with the frame at that dpi.
void AdjustWindowRectForDpi(RECT& r, DWORD style, DWORD exStyle, int dpi);
// Resizes the window where it stands so that its client area is width x height pixels at dpi.
void ResizeForClient(HWND w, int width, int height, DWORD style, DWORD exStyle, int dpi);

inline RECT ToRECT(const TRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline TRect ToTRect(const RECT& r) { return TRect{int(r.left), int(r.top), int(r.right), int(r.bottom)}; }

// A font of the given height at 100 % (negative: character height), at the scale.
HFONT CreateScaledFont(const wchar_t* face, int height, bool bold, const DisplayScale& scale, bool underline = false);

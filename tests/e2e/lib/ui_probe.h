// Looking at and driving the running program's main window from outside, as a user would: read
// its texts, click its buttons, use its tray icon and menu, read the registry, take screenshots.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

inline constexpr wchar_t kVeilcapWindowClass[] = L"TForm_Veilcap";
inline constexpr int kLabelStatusCamId = 101;
inline constexpr int kLabelStatusMicId = 102;
inline constexpr UINT kTrayCallback = WM_APP + 1;
inline constexpr UINT kTrayId = 1;

// Text of a child window of the main window (empty when it does not answer within a second).
std::wstring ChildText(HWND main, int id);
// Whether the program's notification-area icon exists (the shell accepts a change of it).
bool TrayIconExists(HWND main);
// A left click at a point of the main window's client area.
void ClickClient(HWND main, int x, int y);
// What the shell sends for a click on the tray icon: WM_LBUTTONUP or WM_CONTEXTMENU (version 4).
void TrayClick(HWND main, UINT event);
// The open popup menu of a process (window class "#32768"), or nullptr.
HWND OpenMenu(DWORD pid);
// A key press in the open menu.
void MenuKey(HWND menu, WPARAM key);

// Real key presses through the X server, as a person types them: gives the window the X keyboard
// focus (Wine delivers keys only then) and sends the keys with xdotool, e.g. L"Tab space".
// False when xdotool or the window's X window cannot be found.
bool TypeKeys(HWND window, const std::wstring& keys);
// The window that has the keyboard focus in the thread of window.
HWND FocusOf(HWND window);

// Runs a helper exe from the test folder with the argument text; its exit code or -1.
long RunTool(const std::wstring& exeName, const std::wstring& args, DWORD ms = 30000);
std::wstring TestFolder();

// DWORD registry values (64-bit view); nullopt-like: false when missing.
bool ReadDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD* value);
void WriteString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text);
void WriteDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD value);
void DeleteValue(HKEY root, const wchar_t* key, const wchar_t* name);

// The text of a visible balloon or tooltip window (any process) that contains part, or empty.
std::wstring VisibleTooltipWith(const std::wstring& part);

// Saves the rectangle of the screen as a PNG in the screenshot folder (VEILCAP_SHOTS, else
// <test folder>\screenshots); answers the file written or empty.
std::wstring SaveScreenshot(const std::wstring& name, const RECT& r);

// The screen's pixels in the rectangle, row by row from the top, as 0x00RRGGBB; empty when they
// cannot be read.
std::vector<uint32_t> CaptureScreen(const RECT& r);

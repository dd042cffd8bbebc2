#pragma once

#include <cstdint>

// The window's events as the shell's messages: one queue, drained by
// PeekMessageA, handed to the window procedure by DispatchMessageA.

constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
// lParam: the pointer's window pixel, see MakePointParam.
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;

constexpr uintptr_t SC_CLOSE = 0xF060;
constexpr uintptr_t SC_SCREENSAVE = 0xF140;
constexpr uintptr_t SC_MONITORPOWER = 0xF170;

// Virtual-key codes.
constexpr int32_t VK_BACK = 0x08;
constexpr int32_t VK_TAB = 0x09;
constexpr int32_t VK_RETURN = 0x0D;
constexpr int32_t VK_SHIFT = 0x10;
constexpr int32_t VK_CONTROL = 0x11;
constexpr int32_t VK_MENU = 0x12;
constexpr int32_t VK_PAUSE = 0x13;
constexpr int32_t VK_CAPITAL = 0x14;
constexpr int32_t VK_ESCAPE = 0x1B;
constexpr int32_t VK_SPACE = 0x20;
constexpr int32_t VK_PRIOR = 0x21;
constexpr int32_t VK_NEXT = 0x22;
constexpr int32_t VK_END = 0x23;
constexpr int32_t VK_HOME = 0x24;
constexpr int32_t VK_LEFT = 0x25;
constexpr int32_t VK_UP = 0x26;
constexpr int32_t VK_RIGHT = 0x27;
constexpr int32_t VK_DOWN = 0x28;
constexpr int32_t VK_INSERT = 0x2D;
constexpr int32_t VK_DELETE = 0x2E;
constexpr int32_t VK_NUMPAD0 = 0x60;
constexpr int32_t VK_MULTIPLY = 0x6A;
constexpr int32_t VK_ADD = 0x6B;
constexpr int32_t VK_SUBTRACT = 0x6D;
constexpr int32_t VK_DECIMAL = 0x6E;
constexpr int32_t VK_DIVIDE = 0x6F;
constexpr int32_t VK_F1 = 0x70;
constexpr int32_t VK_F10 = 0x79;

struct MSG {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

using WindowProcedure = intptr_t (*)(uint32_t message, uintptr_t wParam, intptr_t lParam);

// The procedure that DispatchMessageA calls (the window class's).
void RegisterWindowProcedure(WindowProcedure procedure);

// Takes the next message, gathering the window system's events first.
// WM_QUIT comes once no posted or window message is left, but before keys
// that are still waiting.
bool PeekMessageA(MSG* message);
void TranslateMessage(const MSG* message);
intptr_t DispatchMessageA(const MSG* message);
void PostQuitMessage(int exitCode);
// Appends a message to the queue; tests script input with it.
void PostMessageA(uint32_t message, uintptr_t wParam, intptr_t lParam);
// The system's handling of what the window procedure leaves to it: of the
// system commands, screen saver and monitor power requests let the screen
// blank, and a close command closes the window (WM_CLOSE); the rest is
// ignored.
intptr_t DefWindowProcA(uint32_t message, uintptr_t wParam, intptr_t lParam);

// The virtual-key code of an SDL key, or -1 when it has none.
int32_t VirtualKeyFromSdl(int32_t sdlKeycode);

// lParam of a mouse message: x right and y down from the window's top left.
inline intptr_t MakePointParam(int32_t x, int32_t y)
{
    return intptr_t((uint32_t(y) & 0xFFFFu) << 16 | (uint32_t(x) & 0xFFFFu));
}
inline int32_t PointParamX(intptr_t lParam) { return int32_t(int16_t(lParam & 0xFFFF)); }
inline int32_t PointParamY(intptr_t lParam) { return int32_t(int16_t((lParam >> 16) & 0xFFFF)); }

// lParam of WM_SIZE.
inline intptr_t MakeSizeParam(int32_t width, int32_t height)
{
    return intptr_t((uint32_t(height) & 0xFFFFu) << 16 | (uint32_t(width) & 0xFFFFu));
}

#pragma once

#include <cstdint>

// The window-system calls the shell makes, over SDL2: display mode, a window
// with an OpenGL context, presenting frames. Each call that the system could
// refuse reports it as a boolean, as the shell expects.
namespace platform {

struct Window;
using GLContext = void*;

struct WindowSpec {
    const char* title;
    int32_t width;
    int32_t height;
    int32_t colourBits;
    int32_t depthBits;
    bool fullscreen;
    int32_t samples; // 0 for a format without multisampling
};

// Starts the video subsystem; true when a window can be made.
bool InitVideo();

// Asks for a fullscreen mode of exactly this size; the next fullscreen window
// uses it. False when the display has no such mode.
bool ChangeDisplayMode(int32_t width, int32_t height, int32_t bits);
// Forgets the fullscreen mode; the desktop mode returns when the fullscreen
// window goes away.
void RestoreDisplayMode();

// A hidden window whose pixel format has the given samples. Null on failure.
Window* CreateWindow(const WindowSpec& spec);
bool DestroyWindow(Window* window);
void ShowWindow(Window* window);
void SetWindowTitle(Window* window, const char* title);
// Pixels of 8-bit channels, 3 (RGB) or 4 (RGBA) per pixel, rows packed and
// top row first; they are copied. False when no icon could be made of them.
bool SetWindowIcon(Window* window, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels);
// Hides the mouse cursor (fullscreen) or shows it again.
void ShowCursor(bool visible);

GLContext CreateContext(Window* window);
bool MakeCurrent(Window* window, GLContext context);
bool DeleteContext(GLContext context);
void* GetProcAddress(const char* name);

// True when a window with this many samples can be made here.
bool MultisampleFormatExists(int32_t samples);

void SwapBuffers(Window* window);

// Takes the place of the window system's present, for the offline renderer
// and tests, which read each finished frame back instead.
class FramePresenter {
public:
    virtual ~FramePresenter() = default;
    virtual void Present() = 0;
};
// Null puts the window system's present back.
void SetFramePresenter(FramePresenter* presenter);

} // namespace platform

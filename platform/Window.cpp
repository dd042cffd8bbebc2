#include "platform/Window.h"

#include <SDL.h>

#ifdef DEMO_GL_FUNCTION_TABLE
#include "platform/package/GLFunctions.h"
#endif

namespace platform {

namespace {

// SDL's offscreen driver makes its GL contexts with EGL, which Windows lacks.
// There a request for it gets the desktop's own driver instead, with windows
// that are never shown: they render and read back all the same.
#ifdef _WIN32
constexpr bool kOffscreenDriverHasGL = false;
#else
constexpr bool kOffscreenDriverHasGL = true;
#endif

FramePresenter* g_presenter = nullptr;
bool g_windowsStayHidden = false;
bool g_haveFullscreenMode = false;
SDL_DisplayMode g_fullscreenMode{};

SDL_Window* Native(Window* window)
{
    return reinterpret_cast<SDL_Window*>(window);
}

void SetPixelFormat(const WindowSpec& spec)
{
    SDL_GL_ResetAttributes();
#ifdef __EMSCRIPTEN__
    // A browser makes WebGL contexts only, which SDL asks for as ES 2; the
    // fixed-function calls are emulated on top (see platform/web).
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
#else
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
#endif
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, spec.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    const int channelBits = spec.colourBits >= 24 ? 8 : 5;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits);
    int32_t samples = spec.samples;
#ifdef __EMSCRIPTEN__
    // A canvas keeps the attributes of its first context, while the player
    // asks for multisampling only once a first context has told it the
    // driver can: the browser's canvas gets the player's four samples at once.
    samples = 4;
#endif
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 0 ? samples : 0);
}

} // namespace

bool InitVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    // The show blocks the screen saver and display power-down while it runs.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    const char* driver = SDL_getenv("SDL_VIDEODRIVER");
    if (!kOffscreenDriverHasGL && driver && SDL_strcmp(driver, "offscreen") == 0) {
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "windows", SDL_HINT_OVERRIDE);
        g_windowsStayHidden = true;
    }
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool ChangeDisplayMode(int32_t width, int32_t height, int32_t bits)
{
    if (!InitVideo())
        return false;
    const SDL_DisplayMode wanted{0, width, height, 0, nullptr};
    SDL_DisplayMode closest{};
    if (!SDL_GetClosestDisplayMode(0, &wanted, &closest) || closest.w != width || closest.h != height)
        return false;
    g_fullscreenMode = closest;
    g_haveFullscreenMode = true;
    return true;
}

void RestoreDisplayMode()
{
    g_haveFullscreenMode = false;
}

Window* CreateWindow(const WindowSpec& spec)
{
    if (!InitVideo())
        return nullptr;
    SetPixelFormat(spec);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (spec.fullscreen && g_haveFullscreenMode)
        flags |= SDL_WINDOW_FULLSCREEN;
    else
        flags |= SDL_WINDOW_RESIZABLE;
    SDL_Window* window = SDL_CreateWindow(spec.title, 0, 0, spec.width, spec.height, flags);
    if (window && (flags & SDL_WINDOW_FULLSCREEN))
        SDL_SetWindowDisplayMode(window, &g_fullscreenMode);
    return reinterpret_cast<Window*>(window);
}

bool DestroyWindow(Window* window)
{
    if (!window)
        return false;
    SDL_DestroyWindow(Native(window));
    return true;
}

void ShowWindow(Window* window)
{
    if (g_windowsStayHidden)
        return;
    SDL_ShowWindow(Native(window));
    SDL_RaiseWindow(Native(window));
}

void SetWindowTitle(Window* window, const char* title)
{
    SDL_SetWindowTitle(Native(window), title);
}

bool SetWindowIcon(Window* window, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels)
{
    if (!window || !pixels || width <= 0 || height <= 0 || (channels != 3 && channels != 4))
        return false;
    // SDL only reads the pixels: it converts them into an icon of its own.
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint8_t*>(pixels), width, height, channels * 8, width * channels,
        channels == 4 ? SDL_PIXELFORMAT_RGBA32 : SDL_PIXELFORMAT_RGB24);
    if (!icon)
        return false;
    SDL_SetWindowIcon(Native(window), icon);
    SDL_FreeSurface(icon);
    return true;
}

void ShowCursor(bool visible)
{
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

GLContext CreateContext(Window* window)
{
    SDL_GLContext context = SDL_GL_CreateContext(Native(window));
#ifdef DEMO_GL_FUNCTION_TABLE
    if (context && !LoadGLFunctions()) {
        SDL_GL_DeleteContext(context);
        return nullptr;
    }
#endif
    return context;
}

bool MakeCurrent(Window* window, GLContext context)
{
    return SDL_GL_MakeCurrent(Native(window), context) == 0;
}

bool DeleteContext(GLContext context)
{
    if (!context)
        return false;
    SDL_GL_DeleteContext(context);
    return true;
}

void* GetProcAddress(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

bool MultisampleFormatExists(int32_t samples)
{
    // A pixel format can be chosen only with a window: make a small hidden
    // one with that format and see whether a context comes of it.
    const WindowSpec spec{"probe", 16, 16, 32, 16, false, samples};
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    Window* window = CreateWindow(spec);
    if (!window)
        return false;
    SDL_GLContext context = SDL_GL_CreateContext(Native(window));
    int buffers = 0;
    if (context)
        SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
    if (context)
        SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(Native(window));
    if (previous)
        SDL_GL_MakeCurrent(previousWindow, previous);
    return context != nullptr && buffers > 0;
}

void SwapBuffers(Window* window)
{
    if (g_presenter)
        g_presenter->Present();
    else
        SDL_GL_SwapWindow(Native(window));
}

void SetFramePresenter(FramePresenter* presenter)
{
    g_presenter = presenter;
}

} // namespace platform

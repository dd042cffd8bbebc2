#include "app/GLWindow.h"

#include "app/MainLoop.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "resources/PngDecoder.h"

#include <GL/gl.h>

#include <cstring>

namespace {

void ShowShutdownError(const char* text)
{
    MessageBoxA(text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

} // namespace

bool ExtensionListHas(const char* list, const char* name)
{
    if (!list || !name || !*name)
        return false;
    const size_t length = std::strlen(name);
    for (const char* hit = std::strstr(list, name); hit; hit = std::strstr(hit + 1, name)) {
        const bool startsWord = hit == list || hit[-1] == ' ';
        const bool endsWord = hit[length] == '\0' || hit[length] == ' ';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

GLWindow::GLWindow()
{
    SetAspect(4, 3);
}

GLWindow::~GLWindow()
{
    Destroy();
}

bool GLWindow::Create(const WindowSettings& settings)
{
    fullscreen = settings.fullscreen;

    // The window class: the video system and the window procedure.
    if (!platform::InitVideo())
        return false;
    RegisterWindowProcedure(WindowProc);

    displayMode = {settings.width, settings.height, settings.colourBits};
    if (fullscreen && !platform::ChangeDisplayMode(displayMode.width, displayMode.height, displayMode.bits))
        fullscreen = false;
    if (fullscreen)
        platform::ShowCursor(false);

    const platform::WindowSpec spec{settings.title.c_str(), settings.width,      settings.height, settings.colourBits,
                                    16,                     fullscreen,          multisample ? multisampleFormat : 0};
    window = platform::CreateWindow(spec);
    if (!window)
        return Fail();

    context = platform::CreateContext(window);
    if (!context || !platform::MakeCurrent(window, context))
        return Fail();

    // A pixel format is chosen once per window, so a multisampled context
    // costs a second window: this one only served to ask the driver.
    if (!multisample && mostSamples >= 2 && ProbeMultisample(window)) {
        created = true;
        Destroy();
        return Create(settings);
    }

    SetIcon();
    platform::ShowWindow(window);
    Resize(settings.width, settings.height);
    created = true;
    return true;
}

// The window class's icon: a missing or broken picture leaves the system's
// own, as a failed icon load would, and stops nothing.
void GLWindow::SetIcon()
{
    PngImage icon;
    std::string error;
    hasIcon = DecodePngFile(kIconPath, PngDecodeOptions{}, icon, error) &&
              platform::SetWindowIcon(window, icon.pixels.get(), int32_t(icon.width), int32_t(icon.height),
                                      int32_t(icon.channels));
}

bool GLWindow::Fail()
{
    // Whatever was made so far goes again, so a failed start leaves no
    // window, context or display mode behind.
    created = true;
    Destroy();
    return false;
}

bool GLWindow::Destroy()
{
    if (!created)
        return true;
    if (fullscreen) {
        platform::RestoreDisplayMode();
        platform::ShowCursor(true);
    }
    if (context) {
        if (!platform::MakeCurrent(nullptr, nullptr))
            ShowShutdownError("Release of DC and RC failed.");
        if (!platform::DeleteContext(context))
            ShowShutdownError("Release rendering context failed.");
        context = nullptr;
    }
    if (window) {
        if (!platform::DestroyWindow(window))
            ShowShutdownError("Could not release hWnd.");
        window = nullptr;
        hasIcon = false;
    }
    RegisterWindowProcedure(nullptr);
    created = false;
    return true;
}

void GLWindow::Resize(int32_t width, int32_t height)
{
    if (height == 0)
        height = 1;
    viewportWidth = width;
    viewportHeight = height;
    const float t = float(height) * aspect;
    // The quotient is taken wider than a float: in single precision 800 / (4/3)
    // rounds up to exactly 600 and the truncation would not show.
    if (float(width) < t)
        viewportHeight = int32_t(double(width) / double(aspect));
    else if (float(width) > t)
        viewportWidth = int32_t(t);
    glViewport(0, 0, viewportWidth, viewportHeight);
    glLoadIdentity();
}

void GLWindow::Swap()
{
    if (window)
        platform::SwapBuffers(window);
}

bool GLWindow::HasExtension(const char* name) const
{
    return ExtensionListHas(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

bool GLWindow::ProbeMultisample(platform::Window*)
{
    if (!HasExtension("GL_ARB_multisample")) {
        multisample = false;
        return false;
    }
    for (int32_t samples = mostSamples; samples >= 2; samples /= 2) {
        if (platform::MultisampleFormatExists(samples)) {
            multisample = true;
            multisampleFormat = samples;
            return true;
        }
    }
    return multisample;
}

void GLWindow::SetAspect(int32_t a, int32_t b)
{
    aspect = float(a) / float(b);
}

void GLWindow::SetTitle(const char* title)
{
    if (window)
        platform::SetWindowTitle(window, title);
}

bool GLWindow::CreateDefault()
{
    return Create({"Demo", 400, 300, 32, false});
}

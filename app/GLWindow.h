#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <string>

struct WindowSettings {
    std::string title;
    int32_t width;
    int32_t height;
    int32_t colourBits;
    bool fullscreen;
};

// The display mode asked for when going fullscreen.
struct DisplayMode {
    int32_t width;
    int32_t height;
    int32_t bits;
};

// True when name occurs in the blank-separated list as a whole word.
bool ExtensionListHas(const char* list, const char* name);

// The one window of the program with its OpenGL context. The viewport keeps a
// 4:3 shape at the lower left of the client area.
class GLWindow {
public:
    GLWindow();
    virtual ~GLWindow();

    GLWindow(const GLWindow&) = delete;
    GLWindow& operator=(const GLWindow&) = delete;

    bool Create(const WindowSettings& settings);
    // Tears down; true also when there was nothing to do.
    bool Destroy();
    void Resize(int32_t width, int32_t height);
    void Swap();
    bool HasExtension(const char* name) const;
    bool ProbeMultisample(platform::Window* probeWindow);
    void SetAspect(int32_t a, int32_t b);
    int32_t Width() const { return viewportWidth; }
    int32_t Height() const { return viewportHeight; }
    void SetTitle(const char* title);
    bool CreateDefault();

    // The samples the player asks for; with fewer on offer, the most below.
    static constexpr int32_t kPlayerSamples = 4;
    // Tests draw without multisampling, so that edges come out the same on
    // every machine.
    void AllowMultisample(bool allow) { mostSamples = allow ? kPlayerSamples : 0; }
    // At most this many samples, fewer where the driver offers fewer; below 2
    // none. Before Create.
    void LimitSamples(int32_t samples) { mostSamples = samples; }
    bool IsCreated() const { return created; }
    // True when the window shows the program's icon, read from kIconPath
    // under the current directory; without it the window has the system's.
    bool HasIcon() const { return hasIcon; }
    static constexpr const char* kIconPath = "data/png/icon.png";
    bool IsFullscreen() const { return fullscreen; }
    int32_t MultisampleFormat() const { return multisample ? multisampleFormat : 0; }

private:
    bool Fail();
    void SetIcon();

    platform::Window* window = nullptr;
    platform::GLContext context = nullptr;
    bool fullscreen = false;
    bool created = false;
    bool hasIcon = false;
    bool multisample = false;
    int32_t multisampleFormat = 0;
    DisplayMode displayMode{};
    int32_t viewportWidth = 0;
    int32_t viewportHeight = 0;
    float aspect = 0.0f;
    int32_t mostSamples = kPlayerSamples;
};

#pragma once

#include "app/GLWindow.h"
#include "app/Keyboard.h"
#include "effects/RenderHelper.h"
#include "resources/MCSounds.h"

#include <optional>

// The four process-wide objects, installed for as long as this lives; the
// ones installed before are put back when it goes. The player holds one as a
// static object, the offline renderer and the preview one each, tests one
// around a context of their own. The drawing helper is made once a context is
// current (it puts the default GL state in force) and goes before the window.
class ProcessObjects {
public:
    // With a window of its own, or the caller's (a test's context) installed
    // in its place.
    explicit ProcessObjects(GLWindow* sharedWindow = nullptr);
    ~ProcessObjects();
    ProcessObjects(const ProcessObjects&) = delete;
    ProcessObjects& operator=(const ProcessObjects&) = delete;

    // Creates the window, then the drawing helper. False without a window.
    bool OpenWindow(const WindowSettings& settings);
    // The drawing helper for a context already current.
    void MakeRenderHelper();

    GLWindow& Window() { return *window; }
    RenderHelper& Helper() { return *renderHelper; }

    Keyboard keyboard;
    MCSounds music;

private:
    GLWindow ownWindow;
    GLWindow* window;
    std::optional<RenderHelper> renderHelper;
    GLWindow* previousWindow;
    Keyboard* previousKeyboard;
    MCSounds* previousMusic;
    RenderHelper* previousHelper;
};

// The installed objects; null where none is installed.
GLWindow* GetGLWindow();
Keyboard* GetKeyboard();
MCSounds* GetMusic();
RenderHelper* GetRenderHelper();

void InstallGLWindow(GLWindow* window);
void InstallKeyboard(Keyboard* keyboard);
void InstallMusic(MCSounds* music);
void InstallRenderHelper(RenderHelper* helper);

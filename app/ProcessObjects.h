#pragma once

#include "app/GLWindow.h"
#include "app/Keyboard.h"
#include "effects/RenderHelper.h"
#include "resources/MCSounds.h"

// The four process-wide objects, in the order of their construction; they are
// destroyed in reverse, so the window and its context outlive the rest. The
// player holds one as a static object. Tests and tools make their own, or
// install single objects of their own.
struct ProcessObjects {
    ProcessObjects();
    ~ProcessObjects();
    ProcessObjects(const ProcessObjects&) = delete;
    ProcessObjects& operator=(const ProcessObjects&) = delete;

    GLWindow window;
    Keyboard keyboard;
    MCSounds music;
    RenderHelper renderHelper;
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

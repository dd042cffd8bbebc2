#pragma once

#include "app/GLWindow.h"
#include "app/Keyboard.h"
#include "effects/RenderHelper.h"
#include "resources/MCSounds.h"

// The four process-wide objects, in the order of their construction; they are
// destroyed in reverse, so the window and its context outlive the rest. The
// player holds one as a static object; tests and tools make their own. At most
// one exists at a time; the accessors make a default one on first use when
// none does.
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

GLWindow* GetGLWindow();
Keyboard* GetKeyboard();
MCSounds* GetMusic();
RenderHelper* GetRenderHelper();

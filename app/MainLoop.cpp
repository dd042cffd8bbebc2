#include "app/MainLoop.h"

#include "app/ProcessObjects.h"
#include "app/ShowError.h"
#include "demo/DemoBase.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/ShowFolder.h"

#include <string>

bool OpenDemoWindow(ProcessObjects& objects)
{
    WindowSettings settings{"Demo", 800, 600, 32, false};
    settings.fullscreen =
        MessageBoxA("Fullscreen?", "Fullscreen", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    return objects.OpenWindow(settings);
}

bool OpenShow(ProcessObjects& objects)
{
    std::string error;
    if (!EnterShowFolder(error)) {
        ShowError(error.c_str());
        return false;
    }
    if (!OpenDemoWindow(objects)) {
        ShowError("Could not create the OpenGL window.");
        return false;
    }
    return true;
}

int32_t RunDemo(DemoBase& demo, uint32_t exitFlags)
{
    if (demo.Init() != 0)
        return kRunInitFailed;

    int32_t result = 0;
    while (result == 0)
        result = StepDemo(demo, exitFlags);
    return EndDemo(demo, result);
}

int32_t StepDemo(DemoBase& demo, uint32_t exitFlags)
{
    if (PumpMessages())
        return kRunQuit;
    if ((exitFlags & kExitOnEscape) && GetKeyboard()->IsDown(VK_ESCAPE))
        return kRunStoppedByUser;
    if ((exitFlags & kExitOnAnyKey) && GetKeyboard()->AnyKey())
        return kRunStoppedByUser;
    int32_t result = 0;
    switch (demo.Frame()) {
    case 1: result = kRunRuntimeError; break;
    case 2: result = kRunTimelineFinished; break;
    case 3: result = kRunStoppedByUser; break;
    default: break;
    }
    GetGLWindow()->Swap();
    return result;
}

int32_t EndDemo(DemoBase& demo, int32_t result)
{
    if (demo.Uninit() != 0)
        return kRunUninitFailed;
    return result;
}

bool PumpMessages()
{
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message)) {
        if (message.message == WM_QUIT)
            quit = true;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case WM_SIZE:
        GetGLWindow()->Resize(int32_t(lParam & 0xFFFF), int32_t((lParam >> 16) & 0xFFFF));
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        GetKeyboard()->KeyDown(int32_t(wParam));
        return 0;
    case WM_KEYUP:
        GetKeyboard()->KeyUp(int32_t(wParam));
        return 0;
    case WM_SYSCOMMAND:
        // The screen saver and display power-down must not start mid-show.
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER)
            return 0;
        return DefWindowProcA(message, wParam, lParam);
    default:
        return DefWindowProcA(message, wParam, lParam);
    }
}

const char* RunResultMessage(int32_t result)
{
    switch (result) {
    case kRunInitFailed: return "Initialization failed";
    case kRunUninitFailed: return "Uninitialization failed";
    case kRunRuntimeError: return "Runtime error";
    default: return nullptr;
    }
}

int RunResultExitStatus(int32_t result)
{
    return RunResultMessage(result) ? 1 : 0;
}

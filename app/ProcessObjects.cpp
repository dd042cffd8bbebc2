#include "app/ProcessObjects.h"

ProcessObjects::ProcessObjects(GLWindow* sharedWindow)
    : window(sharedWindow ? sharedWindow : &ownWindow), previousWindow(GetGLWindow()),
      previousKeyboard(GetKeyboard()), previousMusic(GetMusic()), previousHelper(GetRenderHelper())
{
    InstallGLWindow(window);
    InstallKeyboard(&keyboard);
    InstallMusic(&music);
}

ProcessObjects::~ProcessObjects()
{
    // The helper's GL state goes with the context it was made in.
    InstallRenderHelper(previousHelper);
    renderHelper.reset();
    if (window == &ownWindow)
        ownWindow.Destroy();
    InstallMusic(previousMusic);
    InstallKeyboard(previousKeyboard);
    InstallGLWindow(previousWindow);
}

bool ProcessObjects::OpenWindow(const WindowSettings& settings)
{
    if (!window->Create(settings))
        return false;
    MakeRenderHelper();
    return true;
}

void ProcessObjects::MakeRenderHelper()
{
    InstallRenderHelper(nullptr);
    renderHelper.emplace();
    InstallRenderHelper(&*renderHelper);
}

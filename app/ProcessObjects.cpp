#include "app/ProcessObjects.h"

ProcessObjects::ProcessObjects()
{
    InstallGLWindow(&window);
    InstallKeyboard(&keyboard);
    InstallMusic(&music);
    InstallRenderHelper(&renderHelper);
}

ProcessObjects::~ProcessObjects()
{
    InstallRenderHelper(nullptr);
    InstallMusic(nullptr);
    InstallKeyboard(nullptr);
    InstallGLWindow(nullptr);
}

#include "app/MainLoop.h"
#include "app/ProcessObjects.h"
#include "app/ShowError.h"
#include "app/ShowLineup.h"
#include "platform/ShowFolder.h"

#include <string>

namespace {

// Constructed before main and destroyed after it, the window last.
ProcessObjects g_processObjects;

int32_t PlayShow()
{
    DemoShow show;
    const int32_t result = RunDemo(show.driver, kExitOnEscape);
    // Told before the effects and the driver go, while the window still
    // shows the last frame.
    if (const char* message = RunResultMessage(result))
        ShowError(message);
    return result;
}

} // namespace

int main(int, char**)
{
    // Without the show there is nothing to ask about.
    std::string error;
    if (!EnterShowFolder(error)) {
        ShowError(error.c_str());
        return 1;
    }
    if (!OpenDemoWindow(g_processObjects)) {
        ShowError("Could not create the OpenGL window.");
        return 1;
    }
    return RunResultExitStatus(PlayShow());
}

#include "app/MainLoop.h"
#include "app/ProcessObjects.h"
#include "app/ShowError.h"
#include "app/ShowLineup.h"

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
    if (!OpenShow(g_processObjects))
        return 1;
    return RunResultExitStatus(PlayShow());
}

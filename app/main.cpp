#include "app/MainLoop.h"
#include "app/ProcessObjects.h"
#include "app/ShowError.h"
#include "demo/DemoBase.h"

#include <GL/gl.h>

namespace {

// Constructed before main and destroyed after it, the window last.
ProcessObjects g_processObjects;

// Stands in for the show until the driver plays it: a black window.
class EmptyDemo final : public DemoBase {
public:
    int32_t Init() override { return 0; }
    int32_t Frame() override
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return 0;
    }
    int32_t Uninit() override { return 0; }
};

} // namespace

int main(int, char**)
{
    if (!OpenDemoWindow()) {
        ShowError("Could not create the OpenGL window.");
        return 1;
    }
    EmptyDemo demo;
    const int32_t result = RunDemo(demo, kExitOnEscape);
    if (const char* message = RunResultMessage(result))
        ShowError(message);
    return RunResultExitStatus(result);
}

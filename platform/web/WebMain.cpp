// The player in a web page. The page asks "Fullscreen?" itself and then calls
// main with the answer; the show then draws one frame per animation frame
// instead of looping, and the page is told when it ends.
#include "app/MainLoop.h"
#include "app/ProcessObjects.h"
#include "app/ShowError.h"
#include "app/ShowLineup.h"
#include "platform/MessageBox.h"

#include <emscripten.h>

#include <cstring>
#include <string>

namespace {

// The page's answer to "Fullscreen?"; every other box is shown in the page.
class PageMessageBoxes final : public MessageBoxSink {
public:
    int Show(const char* text, const char* caption, unsigned style) override
    {
        if (style & MB_YESNO)
            return fullscreen ? IDYES : IDNO;
        EM_ASM({ if (Module.showMessage) Module.showMessage(UTF8ToString($0), UTF8ToString($1)); }, caption, text);
        return IDOK;
    }
    bool fullscreen = false;
};

PageMessageBoxes g_boxes;
ProcessObjects g_processObjects;
DemoShow* g_show = nullptr;

void EndShow(int32_t result)
{
    result = EndDemo(g_show->driver, result);
    if (const char* message = RunResultMessage(result))
        ShowError(message);
    delete g_show;
    g_show = nullptr;
    EM_ASM({ if (Module.onShowEnd) Module.onShowEnd($0); }, RunResultExitStatus(result));
}

void Step()
{
    const int32_t result = StepDemo(g_show->driver, kExitOnEscape);
    if (result == 0)
        return;
    emscripten_cancel_main_loop();
    EndShow(result);
}

} // namespace

int main(int argc, char** argv)
{
    g_boxes.fullscreen = argc > 1 && std::strcmp(argv[1], "fullscreen") == 0;
    SetMessageBoxSink(&g_boxes);
    if (!OpenShow(g_processObjects))
        return 1;
    g_show = new DemoShow;
    if (g_show->driver.Init() != 0) {
        ShowError(RunResultMessage(kRunInitFailed));
        delete g_show;
        g_show = nullptr;
        EM_ASM({ if (Module.onShowEnd) Module.onShowEnd(1); });
        return 1;
    }
    // The browser calls Step once per animation frame; main returns at once
    // and the program stays alive for it.
    emscripten_set_main_loop(Step, 0, 0);
    return 0;
}

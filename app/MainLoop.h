#pragma once

#include <cstdint>

class DemoBase;
class ProcessObjects;

// Results of RunDemo.
enum RunResult : int32_t {
    kRunTimelineFinished = 1,
    kRunStoppedByUser = 2,
    kRunQuit = 3,
    kRunInitFailed = 4,
    kRunUninitFailed = 5,
    kRunRuntimeError = 6,
};

// Exit flags of RunDemo.
constexpr uint32_t kExitOnEscape = 1;
constexpr uint32_t kExitOnAnyKey = 2;

// Asks "Fullscreen?" and opens the objects' 800 by 600 window. False when no
// window could be made.
bool OpenDemoWindow(ProcessObjects& objects);
// Enters the show's folder, then OpenDemoWindow; says in a message box what
// stopped it. Without the show there is nothing to ask about.
bool OpenShow(ProcessObjects& objects);
// Init, the frame loop, Uninit; returns a RunResult.
int32_t RunDemo(DemoBase& demo, uint32_t exitFlags);
// RunDemo in pieces, for a browser that draws one frame per animation frame:
// after a successful Init, StepDemo until it returns a RunResult (0 while the
// show goes on), then EndDemo with that result.
int32_t StepDemo(DemoBase& demo, uint32_t exitFlags);
int32_t EndDemo(DemoBase& demo, int32_t result);
// Dispatches every pending message; true when WM_QUIT was among them.
bool PumpMessages();
intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam);
// What the user is told for a run result, or null for none.
const char* RunResultMessage(int32_t result);
// The process exit status for a run result: failures are not success.
int RunResultExitStatus(int32_t result);

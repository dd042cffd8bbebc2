#include "app/ProcessObjects.h"

namespace {
GLWindow* g_window = nullptr;
Keyboard* g_keyboard = nullptr;
MCSounds* g_music = nullptr;
RenderHelper* g_renderHelper = nullptr;
} // namespace

void InstallGLWindow(GLWindow* window) { g_window = window; }
void InstallKeyboard(Keyboard* keyboard) { g_keyboard = keyboard; }
void InstallMusic(MCSounds* music) { g_music = music; }
void InstallRenderHelper(RenderHelper* helper) { g_renderHelper = helper; }

GLWindow* GetGLWindow() { return g_window; }
Keyboard* GetKeyboard() { return g_keyboard; }
MCSounds* GetMusic() { return g_music; }
RenderHelper* GetRenderHelper() { return g_renderHelper; }

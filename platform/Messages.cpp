#include "platform/Messages.h"

#include <SDL.h>

#include <deque>

namespace {

WindowProcedure g_procedure = nullptr;
// The window's own messages and those posted, then the keyboard's input:
// a posted quit comes between them, after the first and before the second.
std::deque<MSG> g_posted;
std::deque<MSG> g_input;
bool g_quitPosted = false;

void TranslateWindowEvent(const SDL_WindowEvent& event)
{
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        g_posted.push_back({WM_SIZE, 0, MakeSizeParam(event.data1, event.data2)});
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        g_posted.push_back({WM_SIZE, 0, MakeSizeParam(0, 0)});
        break;
    case SDL_WINDOWEVENT_RESTORED: {
        SDL_Window* window = SDL_GetWindowFromID(event.windowID);
        int width = 0;
        int height = 0;
        if (window)
            SDL_GL_GetDrawableSize(window, &width, &height);
        g_posted.push_back({WM_SIZE, 0, MakeSizeParam(width, height)});
        break;
    }
    case SDL_WINDOWEVENT_CLOSE:
        g_posted.push_back({WM_CLOSE, 0, 0});
        break;
    default:
        break;
    }
}

void TranslateKey(const SDL_KeyboardEvent& event)
{
    const int32_t key = VirtualKeyFromSdl(event.keysym.sym);
    if (key < 0)
        return;
    // Keys held with Alt, and F10, are system keys: the keyboard never sees
    // them, so Alt+F4 stays the window manager's.
    const bool system = (event.keysym.mod & KMOD_ALT) != 0 || key == VK_MENU || key == VK_F10;
    const bool down = event.type == SDL_KEYDOWN;
    const uint32_t message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    g_input.push_back({message, uintptr_t(key), 0});
}

void GatherEvents()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_WINDOWEVENT:
            TranslateWindowEvent(event.window);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            TranslateKey(event.key);
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT)
                g_input.push_back({WM_LBUTTONDOWN, 0, MakePointParam(event.button.x, event.button.y)});
            break;
        case SDL_QUIT:
            // A signal or the session going away: the same as the close box.
            g_posted.push_back({WM_CLOSE, 0, 0});
            break;
        default:
            break;
        }
    }
}

} // namespace

void RegisterWindowProcedure(WindowProcedure procedure)
{
    g_procedure = procedure;
}

bool PeekMessageA(MSG* message)
{
    GatherEvents();
    if (!g_posted.empty()) {
        *message = g_posted.front();
        g_posted.pop_front();
        return true;
    }
    if (g_quitPosted) {
        g_quitPosted = false;
        *message = {WM_QUIT, 0, 0};
        return true;
    }
    if (!g_input.empty()) {
        *message = g_input.front();
        g_input.pop_front();
        return true;
    }
    return false;
}

void TranslateMessage(const MSG*)
{
}

intptr_t DispatchMessageA(const MSG* message)
{
    if (message->message == WM_QUIT || !g_procedure)
        return 0;
    return g_procedure(message->message, message->wParam, message->lParam);
}

void PostQuitMessage(int)
{
    g_quitPosted = true;
}

void PostMessageA(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    g_posted.push_back({message, wParam, lParam});
}

intptr_t DefWindowProcA(uint32_t message, uintptr_t wParam, intptr_t)
{
    if (message != WM_SYSCOMMAND)
        return 0;
    // The system's own handling compares the command without its low four
    // bits, which it uses itself.
    switch (wParam & 0xFFF0) {
    case SC_SCREENSAVE:
    case SC_MONITORPOWER:
        // SDL keeps the screen saver off while its windows are open; the
        // request lets the system's saver and power saving start again.
        SDL_EnableScreenSaver();
        break;
    case SC_CLOSE:
        PostMessageA(WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
    return 0;
}

int32_t VirtualKeyFromSdl(int32_t sym)
{
    if (sym >= SDLK_a && sym <= SDLK_z)
        return 'A' + (sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9)
        return '0' + (sym - SDLK_0);
    if (sym >= SDLK_F1 && sym <= SDLK_F12)
        return VK_F1 + (sym - SDLK_F1);
    if (sym >= SDLK_KP_1 && sym <= SDLK_KP_9)
        return VK_NUMPAD0 + 1 + (sym - SDLK_KP_1);
    switch (sym) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    default: return -1;
    }
}

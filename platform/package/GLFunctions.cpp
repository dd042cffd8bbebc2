// The Linux package links no libGL: a desktop may have a GL library of another
// vendor or path than the build machine's, and SDL already finds the right one
// when it makes the context. Each GL function the code calls is defined here
// and forwards to the driver's, looked up through SDL the first time it is
// called, which is always after a context exists.
#include "platform/Window.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdlib>

namespace {

template <typename Function>
Function Resolve(const char* name)
{
    auto function = reinterpret_cast<Function>(platform::GetProcAddress(name));
    if (!function) {
        SDL_LogCritical(SDL_LOG_CATEGORY_VIDEO, "The OpenGL driver has no %s: %s", name, SDL_GetError());
        std::exit(1);
    }
    return function;
}

} // namespace

#define GL_FUNCTION(result, name, parameters, arguments)                                         \
    result GLAPIENTRY name parameters                                                            \
    {                                                                                            \
        static const auto forward = Resolve<result(GLAPIENTRY*) parameters>(#name);              \
        return forward arguments;                                                                \
    }
#include "platform/package/GLFunctionList.h"
#undef GL_FUNCTION

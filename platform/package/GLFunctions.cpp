#include "platform/package/GLFunctions.h"

#include <GL/gl.h>
#include <SDL.h>

namespace {

struct GLFunctionTable {
#define GL_FUNCTION(result, name, parameters, arguments) result(GLAPIENTRY* name) parameters = nullptr;
#include "platform/package/GLFunctionList.h"
#undef GL_FUNCTION
};

GLFunctionTable g_gl;

} // namespace

bool LoadGLFunctions()
{
    GLFunctionTable table;
#define GL_FUNCTION(result, name, parameters, arguments)                                         \
    table.name = reinterpret_cast<decltype(table.name)>(SDL_GL_GetProcAddress(#name));           \
    if (!table.name) {                                                                           \
        SDL_SetError("the OpenGL driver has no %s", #name);                                      \
        return false;                                                                            \
    }
#include "platform/package/GLFunctionList.h"
#undef GL_FUNCTION
    g_gl = table;
    return true;
}

#define GL_FUNCTION(result, name, parameters, arguments)                                         \
    result GLAPIENTRY name parameters                                                            \
    {                                                                                            \
        return g_gl.name arguments;                                                              \
    }
#include "platform/package/GLFunctionList.h"
#undef GL_FUNCTION

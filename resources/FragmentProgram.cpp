#include "resources/FragmentProgram.h"

#include "platform/FileRead.h"
#include "platform/Window.h"
#include "resources/ProgramResources.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

template <typename Function>
Function Fetch(const char* name)
{
    return reinterpret_cast<Function>(platform::GetProcAddress(name));
}

} // namespace

bool FragmentProgram::ExtensionSupported(const char* name)
{
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && name && std::strstr(extensions, name);
}

bool FragmentProgram::Init()
{
    if (!ExtensionSupported("GL_ARB_fragment_program"))
        return false;
    genPrograms = Fetch<PFNGLGENPROGRAMSARBPROC>("glGenProgramsARB");
    deletePrograms = Fetch<PFNGLDELETEPROGRAMSARBPROC>("glDeleteProgramsARB");
    bindProgram = Fetch<PFNGLBINDPROGRAMARBPROC>("glBindProgramARB");
    programString = Fetch<PFNGLPROGRAMSTRINGARBPROC>("glProgramStringARB");
    programLocalParameter4f = Fetch<PFNGLPROGRAMLOCALPARAMETER4FARBPROC>("glProgramLocalParameter4fARB");
    // A driver that names the extension but hands out no entry point would
    // otherwise crash at the first call.
    initialised = genPrograms && bindProgram && programString && programLocalParameter4f;
    return true;
}

bool FragmentProgram::LoadFromResource(int32_t slot, const char* resourceName)
{
    if (!Ready() || !ValidSlot(slot) || !resourceName)
        return false;
    const ProgramResource* resource = FindProgramResource(resourceName);
    if (!resource)
        return false;
    return Compile(slot, resource->bytes, resource->size, resourceName);
}

bool FragmentProgram::LoadFromFile(int32_t slot, const char* path)
{
    if (!Ready() || !ValidSlot(slot) || !path)
        return false;
    std::string text;
    const FileRead read = ReadWholeFile(path, text, kMaxFileSize);
    if (read == FileRead::TooLarge)
        std::fprintf(stderr, "fragment program %s: longer than %zu bytes, not loaded\n", path, kMaxFileSize);
    if (read != FileRead::Ok)
        return false;
    // A string keeps a zero after its end, as Compile needs.
    return Compile(slot, text.c_str(), text.size(), path);
}

// The driver gets the text's length, but Mesa also reads it up to a zero (to
// fingerprint it), so every text handed in here has a zero after its end.
bool FragmentProgram::Compile(int32_t slot, const void* text, size_t length, const char* source)
{
    genPrograms(1, &programs[slot]);
    bindProgram(GL_FRAGMENT_PROGRAM_ARB, programs[slot]);
    programString(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB, GLsizei(length), text);

    GLint errorPosition = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
    if (errorPosition == -1)
        return true;
    // The failed compile raised an error flag of its own; it is reported
    // here, so it should not surface in whoever checks next.
    glGetError();
    const auto* message = reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
    std::fprintf(stderr, "fragment program %s: error at position %d: %s\n", source, errorPosition,
                 message ? message : "(no message)");
    return false;
}

void FragmentProgram::Bind(int32_t slot)
{
    if (Ready() && ValidSlot(slot))
        bindProgram(GL_FRAGMENT_PROGRAM_ARB, programs[slot]);
}

void FragmentProgram::Enable()
{
    if (Ready())
        glEnable(GL_FRAGMENT_PROGRAM_ARB);
}

void FragmentProgram::Disable()
{
    if (Ready())
        glDisable(GL_FRAGMENT_PROGRAM_ARB);
}

void FragmentProgram::SetLocal(GLuint index, float x, float y, float z, float w)
{
    if (Ready())
        programLocalParameter4f(GL_FRAGMENT_PROGRAM_ARB, index, x, y, z, w);
}

GLuint FragmentProgram::ProgramName(int32_t slot) const
{
    return ValidSlot(slot) ? programs[slot] : 0;
}

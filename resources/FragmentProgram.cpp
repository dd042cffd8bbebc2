#include "resources/FragmentProgram.h"

#include "platform/Window.h"
#include "resources/ProgramResources.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

template <typename Function>
Function Fetch(const char* name)
{
    return reinterpret_cast<Function>(platform::GetProcAddress(name));
}

// The whole file, or false when it cannot be opened, read or is too long to
// be a program.
bool ReadWholeFile(const char* path, std::vector<char>& text)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    text.clear();
    char chunk[4096];
    bool ok = true;
    while (ok) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        text.insert(text.end(), chunk, chunk + got);
        if (text.size() > FragmentProgram::kMaxFileSize) {
            std::fprintf(stderr, "fragment program %s: longer than %zu bytes, not loaded\n", path,
                         FragmentProgram::kMaxFileSize);
            ok = false;
        }
        if (got < sizeof chunk)
            break;
    }
    ok = ok && !std::ferror(file);
    std::fclose(file);
    return ok;
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
    std::vector<char> text;
    if (!ReadWholeFile(path, text))
        return false;
    const size_t length = text.size();
    text.push_back('\0');
    return Compile(slot, text.data(), length, path);
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

#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <cstdint>

// Per-pixel programs in the "GL_ARB_fragment_program" text language, compiled
// into numbered slots. Init must succeed, with the GL context current, before
// anything else does something; until then every operation is refused.
class FragmentProgram {
public:
    static constexpr int32_t kSlotCount = 16;
    // Longer program files are refused rather than read whole.
    static constexpr size_t kMaxFileSize = 1 << 20;

    FragmentProgram() = default;
    virtual ~FragmentProgram() = default;

    FragmentProgram(const FragmentProgram&) = delete;
    FragmentProgram& operator=(const FragmentProgram&) = delete;

    // True when name occurs anywhere in the GL extension string: a name that
    // begins a longer extension name counts too.
    static bool ExtensionSupported(const char* name);

    // False when the driver lacks the extension; then nothing is fetched.
    bool Init();

    // Compile a built-in program text, or a file's text, into the slot and
    // leave it bound. A slot outside 0..kSlotCount-1, an unknown resource or
    // an unreadable file leave everything untouched. A program that does not
    // compile is reported on standard error and stays in the slot as the
    // driver left it. True when the program compiled.
    bool LoadFromResource(int32_t slot, const char* resourceName);
    bool LoadFromFile(int32_t slot, const char* path);

    void Bind(int32_t slot);
    void Enable();
    void Disable();
    void SetLocal(GLuint index, float x, float y, float z, float w);

    // 0 for a slot never loaded or outside the range.
    GLuint ProgramName(int32_t slot) const;

private:
    static bool ValidSlot(int32_t slot) { return slot >= 0 && slot < kSlotCount; }
    bool Ready() const { return initialised; }
    bool Compile(int32_t slot, const void* text, size_t length, const char* source);

    PFNGLGENPROGRAMSARBPROC genPrograms = nullptr;
    PFNGLDELETEPROGRAMSARBPROC deletePrograms = nullptr; // fetched for completeness, never called
    PFNGLBINDPROGRAMARBPROC bindProgram = nullptr;
    PFNGLPROGRAMSTRINGARBPROC programString = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4FARBPROC programLocalParameter4f = nullptr;
    GLuint programs[kSlotCount] = {};
    bool initialised = false;
};

#include "offline/FrameReadback.h"

#include "platform/Window.h"

#include <GL/glext.h>

#include <cstring>

namespace {

template <typename Call>
void GetCall(Call& call, const char* name)
{
    call = reinterpret_cast<Call>(platform::GetProcAddress(name));
}

// True when the context's version is at least major.minor or it names the
// extension, the two ways a driver offers the same calls.
bool HasVersionOrExtension(char major, char minor, const char* extension)
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const bool core = version && (version[0] > major || (version[0] == major && version[2] >= minor));
    return core || (extensions && std::strstr(extensions, extension));
}

struct BufferCalls {
    PFNGLGENBUFFERSPROC gen = nullptr;
    PFNGLDELETEBUFFERSPROC remove = nullptr;
    PFNGLBINDBUFFERPROC bind = nullptr;
    PFNGLBUFFERDATAPROC data = nullptr;
    PFNGLMAPBUFFERPROC map = nullptr;
    PFNGLUNMAPBUFFERPROC unmap = nullptr;

    bool Load()
    {
        GetCall(gen, "glGenBuffers");
        GetCall(remove, "glDeleteBuffers");
        GetCall(bind, "glBindBuffer");
        GetCall(data, "glBufferData");
        GetCall(map, "glMapBuffer");
        GetCall(unmap, "glUnmapBuffer");
        return gen && remove && bind && data && map && unmap;
    }
};

BufferCalls g_calls;

struct ResolveCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;

    bool Load()
    {
        GetCall(genFramebuffers, "glGenFramebuffers");
        GetCall(deleteFramebuffers, "glDeleteFramebuffers");
        GetCall(bindFramebuffer, "glBindFramebuffer");
        GetCall(genRenderbuffers, "glGenRenderbuffers");
        GetCall(deleteRenderbuffers, "glDeleteRenderbuffers");
        GetCall(bindRenderbuffer, "glBindRenderbuffer");
        GetCall(renderbufferStorage, "glRenderbufferStorage");
        GetCall(framebufferRenderbuffer, "glFramebufferRenderbuffer");
        GetCall(blitFramebuffer, "glBlitFramebuffer");
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && genRenderbuffers && deleteRenderbuffers &&
               bindRenderbuffer && renderbufferStorage && framebufferRenderbuffer && blitFramebuffer;
    }
};

ResolveCalls g_resolve;

bool HasFramebufferBlit()
{
    return HasVersionOrExtension('3', '0', "GL_ARB_framebuffer_object") && g_resolve.Load();
}

bool HasPixelBufferObjects()
{
    return HasVersionOrExtension('2', '1', "GL_ARB_pixel_buffer_object") && g_calls.Load();
}

} // namespace

FrameReadback::~FrameReadback()
{
    if (resolveFramebuffer) {
        g_resolve.deleteFramebuffers(1, &resolveFramebuffer);
        g_resolve.deleteRenderbuffers(1, &resolveColour);
    }
    if (!havePixelBuffers)
        return;
    for (Slot& slot : slots)
        if (slot.buffer)
            g_calls.remove(1, &slot.buffer);
}

void FrameReadback::Init()
{
    GLint sampleBuffers = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    resolving = sampleBuffers > 0 && HasFramebufferBlit();
    havePixelBuffers = HasPixelBufferObjects();
    if (!havePixelBuffers)
        return;
    for (Slot& slot : slots)
        g_calls.gen(1, &slot.buffer);
}

void FrameReadback::Start(int32_t width, int32_t height)
{
    Slot& slot = slots[(oldest + pendingCount) % kSlots];
    slot.width = width;
    slot.height = height;
    slot.repeats = 1;
    const size_t bytes = size_t(width) * size_t(height) * 4;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    if (resolving)
        Resolve(width, height);
    if (havePixelBuffers) {
        g_calls.bind(GL_PIXEL_PACK_BUFFER, slot.buffer);
        g_calls.data(GL_PIXEL_PACK_BUFFER, GLsizeiptr(bytes), nullptr, GL_STREAM_READ);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        g_calls.bind(GL_PIXEL_PACK_BUFFER, 0);
    } else {
        slot.direct.resize(bytes);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, slot.direct.data());
    }
    if (resolving)
        g_resolve.bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    ++pendingCount;
}

// Leaves the resolved copy bound for reading.
void FrameReadback::Resolve(int32_t width, int32_t height)
{
    if (!resolveFramebuffer) {
        g_resolve.genFramebuffers(1, &resolveFramebuffer);
        g_resolve.genRenderbuffers(1, &resolveColour);
    }
    g_resolve.bindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer);
    if (width != resolveWidth || height != resolveHeight) {
        g_resolve.bindRenderbuffer(GL_RENDERBUFFER, resolveColour);
        g_resolve.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        g_resolve.bindRenderbuffer(GL_RENDERBUFFER, 0);
        g_resolve.framebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolveColour);
        resolveWidth = width;
        resolveHeight = height;
    }
    // The scissor would cut the copy short; the effects' state is theirs.
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    g_resolve.blitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
    g_resolve.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    g_resolve.bindFramebuffer(GL_READ_FRAMEBUFFER, resolveFramebuffer);
}

bool FrameReadback::AddRepeats(int32_t count)
{
    if (pendingCount == 0)
        return false;
    slots[(oldest + pendingCount - 1) % kSlots].repeats += count;
    return true;
}

bool FrameReadback::TakeOldest(RawFrame& out)
{
    if (pendingCount == 0)
        return false;
    Slot& slot = slots[oldest];
    out.width = slot.width;
    out.height = slot.height;
    out.repeats = slot.repeats;
    const size_t bytes = size_t(slot.width) * size_t(slot.height) * 4;
    out.rgba.resize(bytes);
    bool ok = true;
    if (havePixelBuffers) {
        g_calls.bind(GL_PIXEL_PACK_BUFFER, slot.buffer);
        const void* mapped = g_calls.map(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
        if (mapped) {
            std::memcpy(out.rgba.data(), mapped, bytes);
            g_calls.unmap(GL_PIXEL_PACK_BUFFER);
        } else {
            ok = false;
        }
        g_calls.bind(GL_PIXEL_PACK_BUFFER, 0);
    } else {
        out.rgba.swap(slot.direct);
    }
    oldest = (oldest + 1) % kSlots;
    --pendingCount;
    return ok;
}

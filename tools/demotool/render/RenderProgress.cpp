#include "tools/demotool/render/RenderProgress.h"

#include <unistd.h>

#include <cstdio>

RenderProgress::RenderProgress(int64_t totalFrames)
    : total(totalFrames), enabled(isatty(STDOUT_FILENO) != 0), start(Clock::now()), lastShown(start)
{
}

void RenderProgress::Update(int64_t framesDone)
{
    done = framesDone;
    if (!enabled)
        return;
    const Clock::time_point now = Clock::now();
    if (shown && now - lastShown < std::chrono::milliseconds(250))
        return;
    lastShown = now;
    shown = true;
    const double seconds = std::chrono::duration<double>(now - start).count();
    const double fps = seconds > 0.0 ? double(done) / seconds : 0.0;
    const int64_t left = fps > 0.0 && total > done ? int64_t(double(total - done) / fps) : 0;
    std::printf("\rframe %lld/%lld  %5.1f fps  %lld:%02lld left ", static_cast<long long>(done),
                static_cast<long long>(total), fps, static_cast<long long>(left / 60),
                static_cast<long long>(left % 60));
    std::fflush(stdout);
}

void RenderProgress::Done()
{
    if (!enabled || !shown)
        return;
    shown = false;
    Update(done);
    std::printf("\n");
    std::fflush(stdout);
}

#include "offline/FastForward.h"

#include "demo/Timeline.h"

namespace {

constexpr int32_t kClearingScene = 0;

} // namespace

bool NextFrameCanBeQuiet(Timeline& timeline, uint32_t followingFrameTime)
{
    if (timeline.Params(kClearingScene).flags[kRunningFlag] == 0)
        return false;
    const TimelineEvent* events = timeline.Events();
    for (int32_t i = 0; i < timeline.EventCount(); ++i) {
        const TimelineEvent& event = events[i];
        // A trigger waiting for its release is due at once.
        if (event.effect == kClearingScene && event.valueType == ValueType::Bool && event.index == kRunningFlag &&
            event.kind != EventKind::Done && event.start <= followingFrameTime)
            return false;
    }
    return true;
}

FastForwardEnd FastForward(FrameStepper& show, uint32_t target, const std::function<bool()>& goOn)
{
    while (show.NextFrameTime() < target) {
        if (!show.PlayFrame(NextFrameCanBeQuiet(show.StepperTimeline(), show.FrameTimeAfterNext())))
            return FastForwardEnd::ShowEnded;
        if (goOn && !goOn())
            return FastForwardEnd::Paused;
    }
    return FastForwardEnd::Landed;
}

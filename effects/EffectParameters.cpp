#include "effects/EffectParameters.h"

#include "demo/EffectParams.h"

namespace {

constexpr const char* kRunningRange = "0 or 1 (RUN, STOP)";
constexpr const char* kRunningReader = "driver, both passes";
constexpr const char* kStepRange = "step character, 0 none";
constexpr const char* kStepReader = "update, first pass";

// The running flag is read by the driver for every slot rather than by the
// effects, but it is what a script sets most: list it with each effect.
const EffectParameter kParameters[] = {
    {0, ParamKind::Flag, kRunningFlag, "running", kRunningRange, kRunningReader,
     "sets each pass's viewport and clears the frame to dark blue"},
    {1, ParamKind::Flag, kRunningFlag, "running", kRunningRange, kRunningReader,
     "multiplies the 4:3 perspective into the matrix, so the heart is seen in 3D"},
    {2, ParamKind::Flag, kRunningFlag, "running", kRunningRange, kRunningReader,
     "draws the violet logo over the whole main pass"},
    {3, ParamKind::Flag, kRunningFlag, "running", kRunningRange, kRunningReader,
     "draws the heart; pieces, flashes and camera move on while it is stopped"},
    {3, ParamKind::Flag, kPatternStepFlag, "step", "'*' reveals, others nothing", kStepReader,
     "'*' reveals the next hidden piece, flashes it in the glow and turns the camera to it"},
    {4, ParamKind::Flag, kRunningFlag, "running", kRunningRange, kRunningReader,
     "draws the chosen picture, the noise and the corner logo"},
    {4, ParamKind::Lng, 0, "picture", "0..5 pic1..pic6, else none", "draw, main pass",
     "which picture covers the screen; its transparent parts show what is behind"},
    {4, ParamKind::Flag, kPatternStepFlag, "step", kStepRange, kStepReader,
     "any step shows the noise at full opacity, fading out over 0.5 s"},
    {5, ParamKind::Flag, kRunningFlag, "running", kRunningRange, kRunningReader,
     "captures both passes and composes the wobbling strips and the glow"},
    {5, ParamKind::Flag, kPatternStepFlag, "step", kStepRange, kStepReader,
     "any step throws the strip wobble to a new random phase"},
};

} // namespace

std::span<const EffectParameter> EffectParameters()
{
    return kParameters;
}

const EffectParameter* FindEffectParameter(int32_t slot, ParamKind kind, int32_t index)
{
    for (const EffectParameter& parameter : kParameters)
        if (parameter.slot == slot && parameter.kind == kind && parameter.index == index)
            return &parameter;
    return nullptr;
}

const char* ParamKindWord(ParamKind kind)
{
    switch (kind) {
    case ParamKind::Dbl: return "dbl";
    case ParamKind::Lng: return "lng";
    case ParamKind::Flag: return "bool";
    }
    return "?";
}

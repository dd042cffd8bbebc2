#pragma once

#include <cstdint>
#include <span>

// Which array of a slot's parameter block an entry lives in.
enum class ParamKind { Dbl, Lng, Flag };

// One parameter that an effect of the show reads from its block, as the
// script addresses it: scene.SLOT.WORD.INDEX.
struct EffectParameter {
    int32_t slot;
    ParamKind kind;
    int32_t index;
    const char* name;   // short name, one word
    const char* range;  // values and their unit
    const char* readBy; // which pass's update or draw looks at it
    const char* does;   // what the value changes
};

// Every parameter the six effects read, by slot, then kind, then index. A
// parameter missing here is one no effect looks at: setting it changes nothing.
std::span<const EffectParameter> EffectParameters();

// The parameter at that place, or null when no effect reads it.
const EffectParameter* FindEffectParameter(int32_t slot, ParamKind kind, int32_t index);

// The script's type word: "dbl", "lng" or "bool".
const char* ParamKindWord(ParamKind kind);

#include "effects/Vector3.h"

#include <cmath>

double Vector3::Length() const
{
    return std::sqrt(x * x + y * y + z * z);
}

Vector3 Vector3::Normalized() const
{
    const double length = Length();
    // A zero vector has no direction; neither has one with an infinite or
    // NaN component from a broken mesh.
    if (length == 0.0 || !std::isfinite(length))
        return {};
    return *this / length;
}

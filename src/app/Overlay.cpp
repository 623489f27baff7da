#include "app/Overlay.h"

#include <algorithm>

float Overlay::hintStrength() const
{
    return static_cast<float>(std::clamp((hintSeconds + fadeSeconds - played) / fadeSeconds, 0.0, 1.0));
}

#include "app/FrameLimiter.h"

#include <algorithm>

namespace {
constexpr int pictureCap = 60;
}

int FrameLimiter::capFor(bool pictureUp, int playCap)
{
    if (!pictureUp)
        return playCap;
    return playCap > 0 ? std::min(playCap, pictureCap) : pictureCap;
}

double FrameLimiter::wait(double now, int cap)
{
    const double due = cap > 0 ? lastDue + 1.0 / cap : now;
    lastDue = std::max(due, now);
    return lastDue - now;
}

#pragma once

// Paces the game's frames to at most a rate: a frame is due one interval after
// the one before, or at once when the game has fallen behind (a slow frame
// buys no burst of quick ones after it).
class FrameLimiter {
public:
    // The cap on frames a second: `playCap` during play (0: none; vsync
    // paces play too where the driver gives it), at most 60 while a picture is
    // up.
    static int capFor(bool pictureUp, int playCap);

    // Called as a frame ends at `now` (seconds): how long to wait before the
    // next, for at most `cap` frames a second (0: no wait).
    double wait(double now, int cap);

private:
    double lastDue = 0.0;
};

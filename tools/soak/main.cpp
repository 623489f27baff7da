// Soak driver: the game itself (its start-up, frame loop and teardown) with a
// sample every few seconds of the process's resident memory and the live GL
// and OpenAL objects, to show whether a long session grows. scripts/soak.sh runs it in
// the game's data folder and plays it through the keyboard and the mouse.
//
//   soak [--every SECONDS] [--where]
//
// Samples go to standard error, one line each, after a header line:
//   seconds rss_kb heap_kb gl_total buffers textures vertex_arrays framebuffers
//   renderbuffers programs shaders al_sources al_buffers wins losses phase
// With --where, each sample is preceded by a line "player at X Y Z", for
// working out key sequences. The game's own console lines stay on standard
// output.

#include "app/Game.h"
#include "app/Startup.h"
#include "audio/AlHandles.h"
#include "core/Platform.h"
#include "lib/GlCensus.h"

#include <GLFW/glfw3.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// VmRSS from /proc/self/status in kB; -1 where there is no such file.
long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

// Bytes the process holds from malloc, in kB (the game's own heap and the
// libraries'); -1 without glibc. Unlike the resident size it does not move
// with the driver's mappings or with pages the allocator keeps cached.
long heapKilobytes()
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    return static_cast<long>(mallinfo2().uordblks / 1024);
#else
    return -1;
#endif
}

class Sampler {
public:
    Sampler(double every, double start, bool where) : every(every), start(start), next(start), where(where) {}

    void header() const
    {
        std::cerr
            << "seconds rss_kb heap_kb gl_total buffers textures vertex_arrays framebuffers renderbuffers programs "
               "shaders al_sources al_buffers wins losses phase"
            << std::endl;
    }

    // Counts the win and game-over pictures as they come up.
    void watch(const FrameStats& stats)
    {
        const bool win = stats.screen == MenuState::Screen::Win;
        const bool gameOver = stats.screen == MenuState::Screen::GameOver;
        if (win && !wasWin)
            ++wins;
        if (gameOver && !wasGameOver)
            ++losses;
        wasWin = win;
        wasGameOver = gameOver;
    }

    void sampleWhenDue(double now, const FrameStats& stats)
    {
        if (now < next)
            return;
        if (where)
            std::cerr << "player at " << stats.playerPosition.x << ' ' << stats.playerPosition.y << ' '
                      << stats.playerPosition.z << std::endl;
        sample(now, "play");
        next = now + every;
    }

    void sample(double now, const char* phase) const
    {
        const GlCensus census = takeGlCensus();
        std::cerr << static_cast<long>(now - start) << ' ' << residentKilobytes() << ' ' << heapKilobytes() << ' '
                  << census.total() << ' ' << census.buffers << ' ' << census.textures << ' ' << census.vertexArrays
                  << ' ' << census.framebuffers << ' ' << census.renderbuffers << ' ' << census.programs << ' '
                  << census.shaders << ' ' << al::SourceTraits::live << ' ' << al::BufferTraits::live << ' ' << wins
                  << ' ' << losses << ' ' << phase << std::endl;
    }

private:
    double every;
    double start;
    double next;
    bool where;
    int wins = 0;
    int losses = 0;
    bool wasWin = false;
    bool wasGameOver = false;
};

} // namespace

int main(int argc, char** argv)
{
    double every = 5.0;
    bool where = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--every") == 0 && i + 1 < argc) {
            every = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--where") == 0) {
            where = true;
        } else {
            std::cerr << "usage: soak [--every SECONDS] [--where]" << std::endl;
            return 2;
        }
    }

    int screenWidth = 0;
    int screenHeight = 0;
    GLFWwindow* window = openGameWindow(screenWidth, screenHeight);
    {
        Sampler sampler(every > 0.0 ? every : 5.0, glfwGetTime(), where);
        {
            const std::unique_ptr<Game> game = valueOrExit(Game::load(window, screenWidth, screenHeight, Options()));
            sampler.header();
            sampler.sample(glfwGetTime(), "start");
            while (game->runFrame(glfwGetTime())) {
                const FrameStats stats = game->stats();
                sampler.watch(stats);
                sampler.sampleWhenDue(glfwGetTime(), stats);
            }
            sampler.sample(glfwGetTime(), "end");
        }
        // What the game leaves behind when it goes is what a restart would leak.
        sampler.sample(glfwGetTime(), "teardown");
    }
    glfwTerminate();
    return 0;
}

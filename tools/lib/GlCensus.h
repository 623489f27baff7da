#pragma once

#include <string>

// How many GL objects of each kind are alive in the current context, for
// finding leaks over a long run. Nothing in the game calls it; the soak driver
// and the tests do.
struct GlCensus {
    int buffers = 0;
    int textures = 0;
    int vertexArrays = 0;
    int framebuffers = 0;
    int renderbuffers = 0;
    int programs = 0;
    int shaders = 0;

    int total() const { return buffers + textures + vertexArrays + framebuffers + renderbuffers + programs + shaders; }
    // "buffers 12 textures 30 ...", for logs and test messages.
    std::string describe() const;
};

// Probes every object name up to the highest one the driver has handed out
// (glIs* of each kind). An object counts once it has been bound or created;
// a name from glGen* that was never bound is not an object yet. Generates and
// deletes one name of each kind to learn how far to look.
GlCensus takeGlCensus();

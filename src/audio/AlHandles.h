#pragma once

#include <AL/al.h>

#include "core/UniqueName.h"

// Owners of OpenAL source and buffer names (core/UniqueName.h): deleting the
// owner deletes the AL object exactly once. Each kind keeps a count of the
// live objects, which the soak samples to show that a long session creates no
// more than it releases.
namespace al {

// Needs a current context; a name the library refused is 0 and not counted.
template <void (*generate)(ALsizei, ALuint*), void (*remove)(ALsizei, const ALuint*)> struct CountedTraits {
    static inline int live = 0;
    static ALuint create()
    {
        ALuint name = 0;
        alGetError();
        generate(1, &name);
        if (alGetError() != AL_NO_ERROR)
            name = 0;
        if (name != 0)
            ++live;
        return name;
    }
    static void destroy(ALuint name)
    {
        remove(1, &name);
        --live;
    }
};

using SourceTraits = CountedTraits<alGenSources, alDeleteSources>;
using BufferTraits = CountedTraits<alGenBuffers, alDeleteBuffers>;
using Source = UniqueName<ALuint, SourceTraits>;
using Buffer = UniqueName<ALuint, BufferTraits>;

} // namespace al

#pragma once

#include <AL/al.h>

#include <utility>

// Move-only owners of OpenAL source and buffer names, like the GL handles:
// deleting the owner deletes the AL object exactly once. Each kind keeps a
// count of the live objects, which the soak samples to show that a long
// session creates no more than it releases.
namespace al {

template <typename Traits>
class Handle {
public:
    Handle() = default;
    ~Handle() { reset(); }

    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            reset();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }

    // Needs a current context; holds 0 when the library refused.
    static Handle create()
    {
        Handle handle;
        alGetError();
        Traits::create(&handle.name_);
        if (alGetError() != AL_NO_ERROR)
            handle.name_ = 0;
        if (handle.name_ != 0)
            ++live_;
        return handle;
    }

    ALuint id() const { return name_; }
    operator ALuint() const { return name_; }
    static int live() { return live_; }

    void reset()
    {
        if (name_ != 0) {
            Traits::destroy(&name_);
            --live_;
        }
        name_ = 0;
    }

private:
    ALuint name_ = 0;
    static inline int live_ = 0;
};

struct SourceTraits {
    static void create(ALuint* n) { alGenSources(1, n); }
    static void destroy(ALuint* n) { alDeleteSources(1, n); }
};
struct BufferTraits {
    static void create(ALuint* n) { alGenBuffers(1, n); }
    static void destroy(ALuint* n) { alDeleteBuffers(1, n); }
};

using Source = Handle<SourceTraits>;
using Buffer = Handle<BufferTraits>;

} // namespace al

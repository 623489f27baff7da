#pragma once

#include <utility>

// A move-only owner of one object name of a C graphics or audio library (a GL
// texture, an AL source). Deleting the owner deletes the object exactly once;
// a moved-from or default-constructed owner holds 0 and deletes nothing. It
// converts to the name so that it can be passed to the library directly.
// Traits::create() makes a name (0 when the library refused) and
// Traits::destroy(name) deletes one.
template <typename Name, typename Traits> class UniqueName {
public:
    UniqueName() = default;
    explicit UniqueName(Name name) : name_(name) {}
    ~UniqueName() { reset(); }

    UniqueName(const UniqueName&) = delete;
    UniqueName& operator=(const UniqueName&) = delete;
    UniqueName(UniqueName&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    UniqueName& operator=(UniqueName&& other) noexcept
    {
        if (this != &other) {
            reset();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }

    static UniqueName create() { return UniqueName(Traits::create()); }

    Name id() const { return name_; }
    operator Name() const { return name_; }

    void reset()
    {
        if (name_ != 0)
            Traits::destroy(name_);
        name_ = 0;
    }

private:
    Name name_ = 0;
};

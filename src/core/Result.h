#pragma once

#include <string>
#include <utility>
#include <variant>

// Why something the game needs could not be made: the line the player reads
// on standard output, and a second line (possibly several) on standard error
// that names the file and the cause. Parts return failures; the game turns
// the one it cannot do without into its fatal exit in one place.
struct Failure {
    std::string message;
    std::string detail;
};

// A value, or the failure that stands in its place.
template <typename T> class Result {
public:
    Result(T value) : state(std::move(value)) {}
    Result(Failure failure) : state(std::move(failure)) {}

    bool ok() const { return state.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only when ok().
    T& value() { return std::get<0>(state); }
    const T& value() const { return std::get<0>(state); }
    // Only when !ok().
    const Failure& failure() const { return std::get<1>(state); }

private:
    std::variant<T, Failure> state;
};

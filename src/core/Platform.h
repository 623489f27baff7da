#pragma once

#include "core/Result.h"

#include <functional>
#include <string>
#include <string_view>

// The few services that differ between operating systems: the console pause
// after a fatal message and the fatal exit itself. Everything platform specific
// lives in Platform.cpp.

// The command the Windows console runs after a fatal message; after the
// window library fails to start it is spelled "Pause".
enum class PauseCommand { Upper, Capitalised };

// Sets what runs once just before the console pause waits: the game closes
// its full-screen window there, which would otherwise hide the console (and
// no longer handle events) while the prompt waits. An empty hook does nothing.
void setBeforePause(std::function<void()> hook);

// `text` safe to print on a terminal: control bytes (C0 but line feed and
// tab, DEL, and C1 as UTF-8 writes them) shown as "\xNN", so that a name
// read from a file cannot move the cursor, clear the screen or retitle the
// window; a message may run over several lines (a shader's log).
std::string printable(std::string_view text);

// "$<xdgVariable>/<file>", or "$HOME/<underHome>/<file>" when the variable is
// unset or not an absolute path; empty without either.
std::string userFilePath(const char* xdgVariable, const char* underHome, const char* file);

// Waits for the user to acknowledge a fatal message. On Windows this runs the
// console's own "PAUSE"; elsewhere it waits for a line on standard input, but
// only when standard input is a terminal, so scripted runs never hang.
void pauseConsole(PauseCommand command = PauseCommand::Upper);

// Pauses the console and ends the process with exit code -1, for a failure
// whose message has already been written.
[[noreturn]] void fatalExit(PauseCommand command = PauseCommand::Upper);

// Writes `message` and a line end to standard output, optionally a second line
// naming the cause on standard error, pauses the console and ends the process
// with exit code -1.
[[noreturn]] void fatalError(std::string_view message, std::string_view detail = {},
                             PauseCommand command = PauseCommand::Upper);

// fatalError with the failure's message and detail.
[[noreturn]] void fatalError(const Failure& failure);

// The value of `result`, or the fatal exit with its failure.
template <typename T> T valueOrExit(Result<T> result)
{
    if (!result)
        fatalError(result.failure());
    return std::move(result.value());
}

#include "core/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

std::function<void()>& beforePause()
{
    static std::function<void()> hook;
    return hook;
}

// Taken out before it runs: a fatal error inside the hook pauses without it.
void runBeforePause()
{
    if (std::function<void()> hook = std::exchange(beforePause(), nullptr))
        hook();
}

} // namespace

void setBeforePause(std::function<void()> hook) { beforePause() = std::move(hook); }

std::string printable(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xc2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xe0) == 0x80;
        if ((byte >= 0x20 || byte == '\n' || byte == '\t') && byte != 0x7f && !c1) {
            shown += text[i];
            continue;
        }
        for (std::size_t j = i; j <= i + std::size_t(c1); ++j) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[j]));
            shown += escaped;
        }
        i += std::size_t(c1);
    }
    return shown;
}

std::string userFilePath(const char* xdgVariable, const char* underHome, const char* file)
{
    const char* xdg = std::getenv(xdgVariable);
    const char* home = std::getenv("HOME");
    if (xdg && xdg[0] == '/')
        return std::string(xdg) + "/" + file;
    return home && home[0] == '/' ? std::string(home) + "/" + underHome + "/" + file : std::string();
}

void pauseConsole(PauseCommand command)
{
#ifdef _WIN32
    runBeforePause();
    std::system(command == PauseCommand::Capitalised ? "Pause" : "PAUSE");
#else
    (void)command;
    if (!isatty(STDIN_FILENO))
        return;
    runBeforePause();
    std::cout << "Press Enter to continue . . ." << std::endl;
    std::string line;
    std::getline(std::cin, line);
#endif
}

void fatalError(std::string_view message, std::string_view detail, PauseCommand command)
{
    std::cout << printable(message) << std::endl;
    if (!detail.empty())
        std::cerr << printable(detail) << std::endl;
    fatalExit(command);
}

void fatalError(const Failure& failure) { fatalError(failure.message, failure.detail); }

void fatalExit(PauseCommand command)
{
    std::cout.flush();
    pauseConsole(command);
    std::exit(-1);
}

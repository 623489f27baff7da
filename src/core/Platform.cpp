#include "core/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

void pauseConsole(PauseCommand command)
{
#ifdef _WIN32
    std::system(command == PauseCommand::Capitalised ? "Pause" : "PAUSE");
#else
    (void)command;
    if (!isatty(STDIN_FILENO))
        return;
    std::cout << "Press Enter to continue . . ." << std::endl;
    std::string line;
    std::getline(std::cin, line);
#endif
}

void fatalError(std::string_view message, std::string_view detail, PauseCommand command)
{
    std::cout << message << std::endl;
    if (!detail.empty())
        std::cerr << detail << std::endl;
    fatalExit(command);
}

void fatalExit(PauseCommand command)
{
    std::cout.flush();
    pauseConsole(command);
    std::exit(-1);
}

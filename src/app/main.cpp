#include "app/CommandLine.h"
#include "app/Run.h"
#include "core/Platform.h"

#include <iostream>

int main(int argc, char** argv)
{
    ParsedCommandLine parsed = parseCommandLine({argv + 1, argv + argc});
    Options& options = parsed.options;
    if (!parsed.error.empty()) {
        std::cerr << "quarrystack: " << parsed.error << "\n\n" << usageText();
        return 2;
    }
    if (options.action == Options::Action::Help) {
        std::cout << usageText();
        return 0;
    }
    if (options.action == Options::Action::Version) {
        std::cout << versionText() << '\n';
        return 0;
    }
    // Without its data the game cannot start, whatever it was asked to do.
    if (const std::string problem = enterDataFolder(options); !problem.empty())
        fatalError("quarrystack: " + problem);
    return options.action == Options::Action::CheckLevel ? runLevelCheck(options.levelFile()) : runGame(options);
}

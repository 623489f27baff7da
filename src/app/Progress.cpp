#include "app/Progress.h"

#include "core/Platform.h"
#include "core/RegularFile.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <utility>

namespace {

// The first line of every progress file the game writes.
const std::string header = "# Quarrystack progress";
// A time longer than a day is no time the game measured.
constexpr double longestRun = 24.0 * 3600.0;

int chainSize() { return static_cast<int>(levelChain().size()); }

// One "reached = N" or "best = FILE SECONDS" line into `progress`; false when it is none.
bool readLine(const std::string& line, Progress& progress)
{
    std::istringstream in(line);
    std::string key, equals, file;
    if (!(in >> key >> equals) || equals != "=")
        return false;
    if (key == "reached") {
        int reached = 0;
        return in >> reached && (in >> std::ws).eof() && reached >= 1 && reached <= chainSize() &&
               (progress.reached = reached, true);
    }
    double seconds = 0.0;
    if (key != "best" || !(in >> file >> seconds) || !(in >> std::ws).eof())
        return false;
    if (!std::isfinite(seconds) || seconds <= 0.0 || seconds > longestRun)
        return false;
    progress.bestSeconds[file] = seconds;
    return true;
}

} // namespace

const std::vector<ChainLevel>& levelChain()
{
    static const std::vector<ChainLevel> chain = {
        {"Data/LevelFinal.dae", "The quarry"},    {"Data/LevelShaft.dae", "The flooded shaft"},
        {"Data/LevelBridge.dae", "The trench"},   {"Data/LevelCauseway.dae", "The causeway"},
        {"Data/LevelStairs.dae", "Two steps up"}, {"Data/LevelCarry.dae", "The long carry"},
    };
    return chain;
}

bool Progress::recordWin(int index, double seconds)
{
    reached = std::max(reached, std::min(index + 2, chainSize()));
    const std::optional<double> old = best(index);
    if (old && *old <= seconds)
        return false;
    bestSeconds[levelChain()[static_cast<size_t>(index)].file] = seconds;
    return true;
}

std::optional<double> Progress::best(int index) const
{
    const auto found = bestSeconds.find(levelChain()[static_cast<size_t>(index)].file);
    return found == bestSeconds.end() ? std::nullopt : std::optional<double>(found->second);
}

std::string progressFilePath() { return userFilePath("XDG_STATE_HOME", ".local/state", "quarrystack/progress.ini"); }

ProgressRead readProgress(const std::string& path)
{
    ProgressRead read;
    if (path.empty() || !std::filesystem::exists(std::filesystem::symlink_status(path)))
        return read;
    const FileBytes file = readRegularFile(path, 64 * 1024);
    std::istringstream lines(file.bytes);
    std::string line;
    const bool ours =
        file.fault == FileFault::None && (file.bytes.empty() || (std::getline(lines, line) && line == header));
    if (!ours) {
        read.writable = false;
        read.warning =
            "Progress: " + path +
            (file.fault == FileFault::None ? std::string(" is not the game's") : " " + describe(file.fault)) +
            "; it is left alone, and this run's progress is not kept";
        return read;
    }
    while (std::getline(lines, line))
        if (!line.empty() && line[0] != '#' && !readLine(line, read.progress)) {
            read.progress = Progress();
            read.warning = "Progress: " + path + " is damaged; play starts again from the first level";
            break;
        }
    return read;
}

std::string writeProgress(const std::string& path, const Progress& progress)
{
    std::ostringstream text;
    text.precision(17);
    text << header << "\nreached = " << progress.reached << '\n';
    for (const auto& [file, seconds] : progress.bestSeconds)
        text << "best = " << file << ' ' << seconds << '\n';
    const std::string why = replaceFile(path, text.str());
    return why.empty() ? why : "Progress: cannot write " + path + ": " + why;
}

ProgressBook::ProgressBook(std::string file) : path(std::move(file))
{
    ProgressRead read = readProgress(path);
    kept = read.progress;
    writable = read.writable && !path.empty();
    if (!read.warning.empty())
        tell(read.warning);
}

std::optional<double> ProgressBook::recordWin(int index, double seconds)
{
    const std::optional<double> before = kept.best(index);
    kept.recordWin(index, seconds);
    if (writable)
        if (const std::string why = writeProgress(path, kept); !why.empty())
            tell(why);
    return before;
}

void ProgressBook::tell(const std::string& line)
{
    if (!std::exchange(told, true))
        std::cerr << printable(line) << std::endl;
}

std::string runTimeText(double seconds)
{
    const long tenths = std::lround(std::max(0.0, seconds) * 10.0);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld.%ld", tenths / 600, tenths / 10 % 60, tenths % 10);
    return text;
}

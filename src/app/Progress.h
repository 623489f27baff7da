#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// The game's levels in the order they are played, each opening the next.
struct ChainLevel {
    const char* file;  // below the game's data folder
    const char* title; // as the pictures show it
};
const std::vector<ChainLevel>& levelChain();

// How far the player got, kept between runs: the levels open to play and
// the best time of each level won.
struct Progress {
    int reached = 1;                           // the first `reached` levels of the chain are open
    std::map<std::string, double> bestSeconds; // by level file

    // A win of chain level `index` in `seconds` opens the next level and
    // keeps the better time. True when it is a new best.
    bool recordWin(int index, double seconds);
    std::optional<double> best(int index) const;
};

// "$XDG_STATE_HOME/quarrystack/progress.ini", or under "$HOME/.local/state"
// when that is unset or not absolute; empty without either.
std::string progressFilePath();

struct ProgressRead {
    Progress progress;
    std::string warning; // one line, or empty
    // False when the file there is not the game's (or cannot be read): it
    // is left alone, and progress is not written over it.
    bool writable = true;
};

// A missing file is nothing yet. A file of the game's that is damaged is
// read as nothing yet and written over by the next win; a file that is not
// the game's is read as nothing yet and never written over.
ProgressRead readProgress(const std::string& path);
// Writes `progress` through a renamed temporary file. Empty, or the line
// that says why not.
std::string writeProgress(const std::string& path, const Progress& progress);

// The player's progress in this run and the file that keeps it: read at the
// start, written after each win. What goes wrong is told on standard error,
// once; play goes on regardless.
class ProgressBook {
public:
    ProgressBook() = default; // kept in no file (the tools' runs)
    explicit ProgressBook(std::string path);

    const Progress& progress() const { return kept; }
    // Records a win of chain level `index` in `seconds` and writes the file.
    // Returns the level's best time before this win.
    std::optional<double> recordWin(int index, double seconds);

private:
    void tell(const std::string& line);

    std::string path;
    Progress kept;
    bool writable = false;
    bool told = false;
};

// A run's time as the pictures show it: minutes, seconds and tenths ("1:02.5").
std::string runTimeText(double seconds);

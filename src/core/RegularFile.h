#pragma once

#include <cstddef>
#include <string>

// Files the game reads (levels, pictures, sounds) are opened only when they
// are regular files: opening a FIFO blocks the game for good, a directory or
// a device reads as nonsense. The check is made on the open descriptor, so
// the file cannot be swapped between the check and the reading.

enum class FileFault {
    None,
    Unopened,   // missing, or not readable by us
    NotRegular, // a directory, FIFO, socket or device
    TooLarge,   // more bytes than the caller takes
    Unread,     // the reading failed part way
};

// The reason in a few words: "cannot be opened", "not a regular file", "too
// large", "cannot be read"; empty for None.
std::string describe(FileFault fault);

// A regular file open for reading; the descriptor closes with the object.
class RegularFile {
public:
    explicit RegularFile(const std::string& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    FileFault fault() const { return why; }
    // The open descriptor, or -1 on a fault.
    int descriptor() const { return fd; }
    std::size_t size() const { return bytes; }

private:
    int fd = -1;
    FileFault why = FileFault::None;
    std::size_t bytes = 0;
};

struct FileBytes {
    std::string bytes;
    FileFault fault = FileFault::None;
};

// The whole regular file at `path`, at most `limit` bytes long.
FileBytes readRegularFile(const std::string& path, std::size_t limit);

// Writes `text` to a new file beside `path` and renames it over the old one,
// so that a reader never sees half a file; makes the folder first. Empty, or
// the system's reason why not.
std::string replaceFile(const std::string& path, const std::string& text);

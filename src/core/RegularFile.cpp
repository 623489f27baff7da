#include "core/RegularFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

std::string describe(FileFault fault)
{
    switch (fault) {
    case FileFault::None:
        return {};
    case FileFault::Unopened:
        return "cannot be opened";
    case FileFault::NotRegular:
        return "not a regular file";
    case FileFault::TooLarge:
        return "too large";
    case FileFault::Unread:
        return "cannot be read";
    }
    return {};
}

RegularFile::RegularFile(const std::string& path)
{
    // Without O_NONBLOCK the open itself waits for a FIFO's writer.
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (fd < 0) {
        why = FileFault::Unopened;
    } else if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        why = FileFault::NotRegular;
        ::close(fd);
        fd = -1;
    } else {
        bytes = static_cast<std::size_t>(status.st_size);
    }
}

RegularFile::~RegularFile()
{
    if (fd >= 0)
        ::close(fd);
}

FileBytes readRegularFile(const std::string& path, std::size_t limit)
{
    const RegularFile file(path);
    FileBytes read;
    if (file.fault() != FileFault::None || file.size() > limit) {
        read.fault = file.fault() != FileFault::None ? file.fault() : FileFault::TooLarge;
        return read;
    }
    read.bytes.resize(file.size());
    std::size_t done = 0;
    while (done < read.bytes.size()) {
        const ssize_t got = ::read(file.descriptor(), read.bytes.data() + done, read.bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    if (done != read.bytes.size()) {
        read.bytes.clear();
        read.fault = FileFault::Unread;
    }
    return read;
}

std::string replaceFile(const std::string& path, const std::string& text)
{
    const std::filesystem::path target(path);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error)
        return error.message();
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return std::strerror(errno);
    close(fd);
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text;
        if (out.flush())
            out.close();
        if (!out) {
            const std::string why = std::strerror(errno);
            std::remove(temporary.c_str());
            return why;
        }
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::remove(temporary.c_str());
        return error.message();
    }
    return {};
}

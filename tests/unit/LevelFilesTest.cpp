// The committed level files are exactly what tools/makelevel writes: a change
// to the generator shows up here until scripts/make-level.sh has rewritten
// them, and a hand edit to a generated file is caught.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::set<std::string> filesBelow(const fs::path& root, const fs::path& sub)
{
    std::set<std::string> files;
    if (!fs::is_directory(root / sub)) {
        return files;
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / sub)) {
        if (entry.is_regular_file()) {
            files.insert(fs::relative(entry.path(), root).generic_string());
        }
    }
    return files;
}

TEST(LevelReproducible, GeneratorRewritesTheCommittedFilesByteForByte)
{
    fs::path tool = fs::path(QUARRYSTACK_BINARY_DIR) / "tools" / "makelevel";
    ASSERT_TRUE(fs::is_regular_file(tool)) << "build the makelevel target: " << tool;
    const TempDir out("makelevel");
    std::string command = "\"" + tool.string() + "\" --root \"" + out.path().string() + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    fs::path source = QUARRYSTACK_SOURCE_DIR;
    std::set<std::string> generated = filesBelow(out.path(), "");
    ASSERT_TRUE(generated.count("Data/LevelFinal.dae"));
    for (const std::string& file : generated) {
        SCOPED_TRACE(file);
        ASSERT_TRUE(fs::is_regular_file(source / file)) << "not committed; run scripts/make-level.sh";
        std::string fresh = readBytes(out.path() / file);
        std::string committed = readBytes(source / file);
        if (fresh != committed) {
            size_t at = 0;
            while (at < fresh.size() && at < committed.size() && fresh[at] == committed[at]) {
                ++at;
            }
            ADD_FAILURE() << "differs from the generator's output at byte " << at << " (sizes " << committed.size()
                          << " committed, " << fresh.size() << " generated); run scripts/make-level.sh";
        }
    }

    // Nothing stale: every committed test level comes from the generator.
    for (const std::string& file : filesBelow(source, "tests/data/levels")) {
        EXPECT_TRUE(generated.count(file)) << file << " is not written by makelevel";
    }
}

} // namespace

// Fixed views of the shipped level, rendered through the game's own frame by
// the golden tool, against the committed references in tests/data/golden/.
//
// After an intended change of the picture (shaders, level, art), rewrite the
// references with scripts/update-golden.sh, look at the new pictures, and
// commit them. A failing comparison leaves the rendered pictures in
// QUARRYSTACK_BINARY_DIR/e2e-artifacts/Golden_<size>.png/.
#include "support/Game.h"

#include <set>

namespace {

namespace fs = std::filesystem;

const char* const updateHint = "if the change is intended, run scripts/update-golden.sh and commit the pictures";

// The pictures in `dir` whose names end in `suffix`.
std::set<std::string> picturesIn(const fs::path& dir, const std::string& suffix)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix)
            names.insert(name);
    }
    return names;
}

class Golden : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(Golden, ViewsMatchTheReferences)
{
    const auto [width, height] = GetParam();
    const std::string suffix = "_" + std::to_string(width) + "x" + std::to_string(height) + ".png";
    const fs::path references = fs::path(QUARRYSTACK_SOURCE_DIR) / "tests/data/golden";
    const std::set<std::string> expected = picturesIn(references, suffix);
    ASSERT_FALSE(expected.empty()) << "no references *" << suffix << "; " << updateHint;

    const fs::path rendered = fs::path(QUARRYSTACK_BINARY_DIR) / "e2e-artifacts" / ("Golden" + suffix);
    fs::remove_all(rendered);
    fs::create_directories(rendered);
    XvfbDisplay display(640, 360);
    const ToolResult golden = runTool({QUARRYSTACK_GOLDEN, "--out", rendered.string(), "--data", QUARRYSTACK_SOURCE_DIR,
                                       "--width", std::to_string(width), "--height", std::to_string(height)},
                                      display.name());
    ASSERT_TRUE(golden.ok()) << "the golden tool ended with status " << golden.status << ":\n" << golden.output;
    EXPECT_EQ(picturesIn(rendered, suffix), expected) << "the tool's views and the references differ; " << updateHint;
    for (const std::string& name : expected) {
        if (!fs::exists(rendered / name))
            continue;
        const Shot picture = loadShot((rendered / name).string()), reference = loadShot((references / name).string());
        // A frame that could not be read back is one colour; so would be a
        // reference written from it.
        EXPECT_GT(distinctColours(picture), 16u) << name << ": the rendered picture is (nearly) blank";
        EXPECT_GT(distinctColours(reference), 16u) << name << ": the reference is (nearly) blank";
        // llvmpipe draws the same picture on one machine every time; another
        // thread count or Mesa version may round a few pixels differently.
        EXPECT_LT(differingShare(picture, reference, 3), 0.005) << name << ": " << updateHint;
    }
    if (!HasFailure())
        fs::remove_all(rendered);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Golden, ::testing::Values(std::pair{320, 180}, std::pair{640, 360}),
                         [](const auto& info) {
                             return std::to_string(info.param.first) + "x" + std::to_string(info.param.second);
                         });

} // namespace

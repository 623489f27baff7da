// Fixed views of the shipped level, rendered through the game's own frame by
// the golden tool, against the committed references in tests/data/golden/.
//
// After an intended change of the picture (shaders, level, art), rewrite the
// references with
//
//     scripts/update-golden.sh
//
// look at the new pictures, and commit them. A failing comparison leaves the
// rendered picture and a mask of the differing pixels (white) in
// QUARRYSTACK_BINARY_DIR/e2e-artifacts/Golden.<size>/.
#include "support/Game.h"

#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

const char* const updateHint = "if the change is intended, run scripts/update-golden.sh and commit the pictures";

struct Size {
    int width;
    int height;
    std::string suffix() const { return "_" + std::to_string(width) + "x" + std::to_string(height) + ".png"; }
};

void PrintTo(const Size& size, std::ostream* out) { *out << size.width << "x" << size.height; }

fs::path referenceDir() { return fs::path(QUARRYSTACK_SOURCE_DIR) / "tests" / "data" / "golden"; }

// The view names of the pictures in `dir` that end in `suffix`.
std::set<std::string> viewsIn(const fs::path& dir, const std::string& suffix)
{
    std::set<std::string> views;
    if (!fs::is_directory(dir))
        return views;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            views.insert(name.substr(0, name.size() - suffix.size()));
    }
    return views;
}

class Golden : public ::testing::TestWithParam<Size> {};

TEST_P(Golden, ViewsMatchTheReferences)
{
    const Size size = GetParam();
    const std::string suffix = size.suffix();
    const std::set<std::string> expected = viewsIn(referenceDir(), suffix);
    ASSERT_FALSE(expected.empty()) << "no references *" << suffix << " in " << referenceDir() << "; "
                                   << updateHint;

    XvfbDisplay display(640, 360);
    TempDir rendered("golden");
    const ToolResult golden =
        runTool({QUARRYSTACK_GOLDEN, "--out", rendered.path().string(), "--data", QUARRYSTACK_SOURCE_DIR, "--width",
                 std::to_string(size.width), "--height", std::to_string(size.height)},
                display.name());
    ASSERT_TRUE(golden.ok()) << "the golden tool ended with status " << golden.status << ":\n" << golden.output;
    const std::set<std::string> actual = viewsIn(rendered.path(), suffix);
    EXPECT_EQ(actual, expected) << "the tool's views and the references differ; " << updateHint;

    const fs::path artifacts = fs::path(QUARRYSTACK_BINARY_DIR) / "e2e-artifacts" / ("Golden" + suffix);
    std::error_code ignored;
    fs::remove_all(artifacts, ignored);
    for (const std::string& view : expected) {
        if (actual.count(view) == 0)
            continue;
        SCOPED_TRACE(view + suffix);
        const Shot picture = loadShot((rendered.path() / (view + suffix)).string());
        const Shot reference = loadShot((referenceDir() / (view + suffix)).string());
        // A frame that could not be read back is one colour; so would be a
        // reference written from it.
        EXPECT_GT(distinctColours(picture), 16u) << "the rendered picture is (nearly) blank";
        EXPECT_GT(distinctColours(reference), 16u) << "the reference is (nearly) blank";
        // llvmpipe draws the same picture on one machine every time; another
        // thread count or Mesa version may round a few pixels differently.
        const double share = differingShare(picture, reference, 3);
        EXPECT_LT(share, 0.005) << updateHint;
        if (share >= 0.005) {
            fs::create_directories(artifacts);
            fs::copy_file(rendered.path() / (view + suffix), artifacts / (view + suffix));
            ADD_FAILURE() << "the rendered picture is in " << artifacts.string();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Golden, ::testing::Values(Size{320, 180}, Size{640, 360}),
                         [](const ::testing::TestParamInfo<Size>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

} // namespace

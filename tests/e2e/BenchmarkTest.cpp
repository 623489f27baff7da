// The benchmark on a tiny window: it runs, and its numbers say what its
// switches did (a pass that is off takes next to no time, one that is on does).
#include "support/Game.h"

#include <gmock/gmock.h>

#include <cmath>
#include <fstream>

namespace {

// The number after the keys found one after the other in the benchmark's
// JSON, such as {"all_on", "bloom_pass", "wall", "median"}; NaN when one is missing.
double numberAt(const std::string& json, std::initializer_list<const char*> keys)
{
    std::size_t at = 0;
    for (const char* key : keys) {
        at = json.find(std::string("\"") + key + "\":", at);
        if (at == std::string::npos)
            return std::nan("");
        at += std::string(key).size() + 3;
    }
    return std::strtod(json.c_str() + at, nullptr);
}

TEST(Benchmark, MeasuresEveryConfigurationAndReference)
{
    XvfbDisplay display(320, 180);
    TempDir out("benchmark");
    const std::string file = (out.path() / "result.json").string();
    const ToolResult benchmark = runTool({QUARRYSTACK_BENCHMARK, "--width", "160", "--height", "90", "--frames", "4",
                                          "--json", file, "--data", QUARRYSTACK_SOURCE_DIR},
                                         display.name(), 120.0);
    ASSERT_TRUE(benchmark.ok()) << "status " << benchmark.status << ":\n" << benchmark.output;
    EXPECT_THAT(benchmark.output, ::testing::HasSubstr("shadows and bloom off"));
    EXPECT_THAT(benchmark.output, ::testing::Not(::testing::HasSubstr("frametime:")));
    std::ifstream in(file);
    const std::string json(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(numberAt(json, {"all_on", "frame", "wall", "count"}), 4.0);
    // In the process's CPU time, which the machine's other work hardly moves:
    // at this size the bloom takes under a millisecond of wall clock.
    for (const char* pass : {"shadows", "bloom"}) {
        const std::string name = std::string(pass) + "_pass", off = std::string(pass) + "_off";
        EXPECT_LT(numberAt(json, {off.c_str(), name.c_str(), "cpu", "median"}),
                  numberAt(json, {"all_on", name.c_str(), "cpu", "median"}))
            << pass;
    }
    for (const char* reference :
         {"full_vs_effects_off", "bloom_vs_copies", "bloom_vs_ping_pong", "update_vs_frame", "start_to_first_frame"})
        EXPECT_GT(numberAt(json, {"ratios", reference, "value"}), 0.0) << reference;
    // Every variant of the lit program compiled and drew.
    for (const char* variant : {"no_shadows", "no_normal_map", "one_light", "no_lights"})
        EXPECT_GT(numberAt(json, {"lit_variants", variant, "wall", "count"}), 0.0) << variant;
}

} // namespace

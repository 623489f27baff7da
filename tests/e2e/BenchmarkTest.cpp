// The benchmark on a tiny window: it runs, and its numbers say what its
// switches did (a pass that is off takes no time, one that is on does).
#include "support/Game.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

namespace {

using ::testing::HasSubstr;

std::string readFile(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The number after the keys found one after the other in the benchmark's
// own JSON, such as {"all_on", "bloom_pass", "wall", "median"}. NaN when a
// key is missing.
double numberAt(const std::string& json, std::initializer_list<const char*> keys)
{
    std::size_t at = 0;
    for (const char* key : keys) {
        at = json.find(std::string("\"") + key + "\":", at);
        if (at == std::string::npos)
            return std::nan("");
        at += std::string(key).size() + 3;
    }
    return std::stod(json.substr(at));
}

bool flagAt(const std::string& json, const char* object, const char* key)
{
    const std::size_t at = json.find(std::string("\"") + object + "\":");
    const std::size_t flag = json.find(std::string("\"") + key + "\": true", at);
    const std::size_t end = json.find('}', at);
    return at != std::string::npos && flag != std::string::npos && flag < end;
}

} // namespace

TEST(Benchmark, MeasuresEveryConfigurationAndReference)
{
    XvfbDisplay display(320, 180);
    TempDir out("benchmark");
    const std::string json = (out.path() / "result.json").string();
    const ToolResult benchmark = runTool({QUARRYSTACK_BENCHMARK, "--width", "160", "--height", "90", "--frames", "4",
                                          "--json", json, "--data", QUARRYSTACK_SOURCE_DIR},
                                         display.name(), 120.0);
    ASSERT_TRUE(benchmark.ok()) << "status " << benchmark.status << ":\n" << benchmark.output;
    const std::string& table = benchmark.output;
    for (const char* row : {"all effects", "shadows off", "bloom off", "shadows and bloom off",
                            "bloom / 2 copies + 5 mipmap regenerations", "bloom / 10-pass ping-pong Gaussian",
                            "lit pass / lit pass with one shadow tap", "game update / whole frame",
                            "process start to first frame", "peak resident memory"})
        EXPECT_THAT(table, HasSubstr(row));
    EXPECT_THAT(table, ::testing::Not(HasSubstr("frametime:"))) << "the game's per-frame lines leak into the table";

    const std::string result = readFile(json);
    ASSERT_FALSE(result.empty());
    EXPECT_EQ(numberAt(result, {"width"}), 160.0);
    EXPECT_EQ(numberAt(result, {"all_on", "frame", "wall", "count"}), 4.0);
    EXPECT_EQ(numberAt(result, {"both_off", "timed_frame", "wall", "count"}), 4.0);

    // A pass that runs takes time; one that is off is only the glFinish
    // around nothing.
    const double shadowsOn = numberAt(result, {"all_on", "shadows_pass", "wall", "median"});
    const double shadowsOff = numberAt(result, {"shadows_off", "shadows_pass", "wall", "median"});
    const double bloomOn = numberAt(result, {"all_on", "bloom_pass", "wall", "median"});
    const double bloomOff = numberAt(result, {"bloom_off", "bloom_pass", "wall", "median"});
    EXPECT_GT(shadowsOn, 0.0);
    EXPECT_LT(shadowsOff, shadowsOn);
    EXPECT_GT(bloomOn, 0.0);
    EXPECT_LT(bloomOff, bloomOn);
    EXPECT_GT(numberAt(result, {"all_on", "scene_pass", "wall", "median"}), 0.0);
    EXPECT_GT(numberAt(result, {"all_on", "update", "wall", "median"}), 0.0);
    // The passes lie inside their frame.
    EXPECT_LT(numberAt(result, {"all_on", "scene_pass", "wall", "median"}),
              numberAt(result, {"all_on", "timed_frame", "wall", "max"}));

    EXPECT_GT(numberAt(result, {"start_to_first_frame_s"}), 0.0);
    EXPECT_GT(numberAt(result, {"peak_resident_mib"}), 10.0);
    for (const char* reference : {"full_vs_effects_off", "bloom_vs_copies", "bloom_vs_ping_pong", "lit_vs_one_tap",
                                  "update_vs_frame", "start_to_first_frame"}) {
        SCOPED_TRACE(reference);
        EXPECT_TRUE(flagAt(result, reference, "available"));
        EXPECT_GT(numberAt(result, {"ratios", reference, "value"}), 0.0);
    }
}

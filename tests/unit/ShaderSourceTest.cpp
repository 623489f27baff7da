// The browser build compiles the desktop's shaders as GLSL ES 3.00: every
// stage WebGL runs must start with the line that turns into ES's.

#include "render/Program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TEST(ShaderSource, EveryStageButTheGeometryStageBecomesGlslEs)
{
    int stages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUARRYSTACK_SOURCE_DIR "/Shader")) {
        if (entry.path().extension() == ".geom")
            continue;
        std::ostringstream text;
        text << std::ifstream(entry.path()).rdbuf();
        const std::string source = text.str(), web = forWebGl(source);
        const std::string body = source.substr(source.find('\n'));
        ASSERT_EQ(web.rfind("#version 300 es\nprecision highp float;\n", 0), 0u) << entry.path();
        EXPECT_EQ(web.substr(web.size() - body.size()), body) << entry.path();
        ++stages;
    }
    EXPECT_GE(stages, 20);
    EXPECT_EQ(forWebGl("#version 410 core\nvoid main() {}"), "#version 410 core\nvoid main() {}");
}

} // namespace

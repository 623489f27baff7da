// Broken data files, one at a time, each in a fresh copy of the game's data:
// whatever is wrong, the game writes its message, ends with exit status 255
// (its fatal -1) before the first frame and never crashes or hangs. Inputs
// that are odd but usable (a level mesh without normals, menu pictures of any
// PNG depth) must play normally instead.
//
// scripts/sanitize.sh runs this suite against the AddressSanitizer and
// UndefinedBehaviorSanitizer build of the game, where "no crash" also means
// no sanitizer report on standard error.

#include "support/GameTest.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path sourceRoot = QUARRYSTACK_SOURCE_DIR;
const fs::path levelFixtures = sourceRoot / "tests/data/levels";

// Every fatal case so far ends within two seconds of starting.
double fatalTimeLimit()
{
    return 10.0 * timeScale();
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        result.push_back(line);
    return result;
}

::testing::AssertionResult noSanitizerReport(const std::string& errorOutput)
{
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"}) {
        if (errorOutput.find(mark) != std::string::npos)
            return ::testing::AssertionFailure() << "sanitizer report on standard error:\n" << errorOutput;
    }
    return ::testing::AssertionSuccess();
}

std::string garbageBytes(std::size_t count)
{
    std::mt19937 random(20240607);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xff);
    return bytes;
}

// How a case breaks the data copy.
using Breakage = std::function<void(const GameData&)>;

Breakage removeFile(const std::string& file)
{
    return [file](const GameData& data) { data.remove(file); };
}

Breakage emptyFile(const std::string& file)
{
    return [file](const GameData& data) { data.truncate(file, 0); };
}

Breakage cutInHalf(const std::string& file)
{
    return [file](const GameData& data) { data.truncate(file, fs::file_size(data.file(file)) / 2); };
}

Breakage writeFile(const std::string& file, const std::string& contents)
{
    return [file, contents](const GameData& data) { data.write(file, contents); };
}

// A test level in place of the game's, with the pictures it names: the
// fixtures say "textures/<name>", the game looks up <name> in Textures/new/.
Breakage useLevel(const std::string& fixture)
{
    return [fixture](const GameData& data) {
        fs::copy_file(levelFixtures / fixture, data.file("Data/LevelFinal.dae"), fs::copy_options::overwrite_existing);
        for (const fs::directory_entry& picture : fs::directory_iterator(levelFixtures / "textures"))
            fs::copy_file(picture.path(), data.file("Textures/new") / picture.path().filename(),
                          fs::copy_options::overwrite_existing);
    };
}

const char* const compilesButDoesNotLink = "#version 330 core\n"
                                           "out vec4 fragColor;\n"
                                           "vec4 shade() { return vec4(1.0); }\n"; // no main

const char* const doesNotCompile = "#version 330 core\n"
                                   "out vec4 fragColor;\n"
                                   "void main() { fragColor = undefinedColour; }\n";

struct FatalCase {
    const char* name;
    Breakage breakData;
    const char* message; // the game's own line on standard output
    const char* detail;  // what standard error must name: the file, or the cause
    bool logFollows;     // the compiler's or linker's log comes on the next line
};

std::ostream& operator<<(std::ostream& out, const FatalCase& c)
{
    return out << c.name;
}

const FatalCase fatalCases[] = {
    // Shader sources. "PhongCombined" is compiled first, "menu" last.
    {"ShaderMissing", removeFile("Shader/menu.frag"), "Failed to open shader-file", "Shader/menu.frag", false},
    {"GeometryShaderMissing", removeFile("Shader/shadowMapOmniFirstPass.geom"), "Failed to open shader-file",
     "Shader/shadowMapOmniFirstPass.geom", false},
    {"ShaderEmpty", emptyFile("Shader/PhongCombined.frag"), "Failed to compile shader", "Shader/PhongCombined.frag",
     true},
    {"ShaderBinaryGarbage", writeFile("Shader/line.vert", garbageBytes(4096)), "Failed to compile shader",
     "Shader/line.vert", true},
    {"ShaderDoesNotCompile", writeFile("Shader/bloomFirstPassFrameBuffer.frag", doesNotCompile),
     "Failed to compile shader", "Shader/bloomFirstPassFrameBuffer.frag", true},
    {"ShaderDoesNotLink", writeFile("Shader/TextVertexShader.frag", compilesButDoesNotLink),
     "Failed to link shader program", "linking failed", true},

    // Menu pictures and the font atlas (the atlas is read before the pictures).
    {"MenuPictureMissing", removeFile("Textures/menu/welcome16_9.png"), "Fehler beim Laden von Texturen",
     "Textures/menu/welcome16_9.png", false},
    {"MenuPictureTruncated", cutInHalf("Textures/menu/win4_3.png"), "Fehler beim Laden von Texturen",
     "Textures/menu/win4_3.png", false},
    {"MenuPictureEmpty", emptyFile("Textures/menu/gameOver16_9.png"), "Fehler beim Laden von Texturen",
     "Textures/menu/gameOver16_9.png", false},
    {"FontAtlasMissing", removeFile("Textures/menu/fontArialMirrored.png"), "Fehler beim Laden von Texturen",
     "Textures/menu/fontArialMirrored.png", false},
    {"FontAtlasTruncated", cutInHalf("Textures/menu/fontArialMirrored.png"), "Fehler beim Laden von Texturen",
     "Textures/menu/fontArialMirrored.png", false},
    {"FontAtlasEmpty", emptyFile("Textures/menu/fontArialMirrored.png"), "Fehler beim Laden von Texturen",
     "Textures/menu/fontArialMirrored.png", false},

    // The level file.
    {"LevelMissing", removeFile("Data/LevelFinal.dae"), "Couldn't open file", "Data/LevelFinal.dae", false},
    {"LevelTruncated", useLevel("truncated.dae"), "Couldn't load File", "Data/LevelFinal.dae", false},
    {"LevelGarbage", useLevel("garbage.dae"), "Couldn't load File", "Data/LevelFinal.dae", false},
    {"LevelEmpty", emptyFile("Data/LevelFinal.dae"), "Couldn't load File", "Data/LevelFinal.dae", false},
    {"LevelWithoutPlayer", useLevel("no_player.dae"), "Level error: no node named \"player\" with a mesh",
     "Data/LevelFinal.dae", false},
    {"LevelWithoutCamera", useLevel("no_camera.dae"), "Level error: no camera", "Data/LevelFinal.dae", false},
    {"LevelWithoutCameraNodes", useLevel("no_camera_nodes.dae"),
     "Level error: the nodes \"camera1_aim\" and \"camera1_up\" are missing", "Data/LevelFinal.dae", false},
    // Nine lights and the game's own two make eleven, one over the lit program's ten.
    {"LevelWithElevenLights", useLevel("nine_lights.dae"),
     "Level error: 9 lights; at most 8 fit beside the game's own 2", "Data/LevelFinal.dae", false},
    {"LevelMeshWithoutTextureCoordinates", useLevel("no_uvs.dae"),
     "Level error: no texture coordinates in the mesh of node \"faultyMesh\"", "Data/LevelFinal.dae", false},

    // The level's textures.
    {"LevelTextureMissing", removeFile("Textures/new/rock_diffuse.png"), "Fehler beim Laden von Texturen",
     "Textures/new/rock_diffuse.png", false},
    {"LevelTextureGarbage", writeFile("Textures/new/wood_normal.png", garbageBytes(2048)),
     "Fehler beim Laden von Texturen", "Textures/new/wood_normal.png", false},
    {"LevelTextureUnknownFormat", useLevel("unknown_texture_format.dae"), "Fehler beim Laden von Texturen",
     "Textures/new/garbage.xyz", false},
};

class BadInput : public GameTest, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(BadInput, EndsWithItsMessageBeforeTheFirstFrame)
{
    const FatalCase& c = GetParam();
    c.breakData(data());

    const auto started = std::chrono::steady_clock::now();
    launchGame(320, 180);
    const std::optional<ExitStatus> status = waitForExit(fatalTimeLimit());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_TRUE(status.has_value()) << "still running after " << fatalTimeLimit() << " s; output:\n"
                                    << outputTail() << "standard error:\n"
                                    << errorOutput();
    EXPECT_EQ(*status, ExitStatus::exited(255)) << "output:\n" << outputTail() << "standard error:\n"
                                                << errorOutput();

    const std::vector<std::string> out = lines(output());
    const auto at = std::find(out.begin(), out.end(), c.message);
    ASSERT_NE(at, out.end()) << "no line \"" << c.message << "\" on standard output:\n" << output();
    if (c.logFollows) {
        ASSERT_NE(at + 1, out.end()) << "no log line after the message";
        EXPECT_FALSE(at[1].empty()) << "the driver's log is empty";
    } else {
        EXPECT_EQ(at + 1, out.end()) << "more output after the message:\n" << output();
    }
    EXPECT_THAT(output(), ::testing::Not(HasSubstr("frametime:")));
    EXPECT_THAT(errorOutput(), HasSubstr(c.detail));
    EXPECT_TRUE(noSanitizerReport(errorOutput()));
    RecordProperty("seconds", std::to_string(seconds));
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInput, ::testing::ValuesIn(fatalCases),
                         [](const ::testing::TestParamInfo<FatalCase>& info) { return info.param.name; });

// Assimp's aiProcess_GenSmoothNormals, part of the game's import flags, makes
// normals for a mesh that has none, so a level mesh without normals never
// reaches the level check: the game loads the level and plays it.
class OddInput : public GameTest {
protected:
    // Frames slow down a lot on a loaded machine or in the sanitizer build;
    // a short press could fall between two of them.
    OddInput() { keyHold = 0.5; }
};

TEST_F(OddInput, LevelMeshWithoutNormalsGetsNormalsAndPlays)
{
    useLevel("no_normals.dae")(data());
    startTimeout *= timeScale();
    startGame(320, 180);
    // The window appears before set-up ends; a key pressed and released before
    // the first frame polls its events would go unseen.
    ASSERT_TRUE(waitForOutput("frametime:", 10 * timeScale()));
    const std::size_t mark = outputMark();
    press("Return");
    ASSERT_TRUE(waitForOutput("RELOAD", 20 * timeScale(), mark));
    ASSERT_TRUE(waitForOutput("frametime:", 10 * timeScale(), outputMark()));
    EXPECT_THAT(output(), HasSubstr("faultyMesh")); // its body was registered
    EXPECT_THAT(output(), ::testing::Not(HasSubstr("Level error")));
    EXPECT_GT(distinctColors(screenshot("playing")), 8u);
    ASSERT_TRUE(quit(30 * timeScale()));
    EXPECT_TRUE(noSanitizerReport(errorOutput()));
}

// Menu pictures in every PNG layout that image tools write must show as they
// look, not only the 32-bit RGBA files the game ships. Each variant replaces
// the welcome picture at exactly the screen's size, so every screen pixel is
// one picture pixel and the screenshot must equal the picture.
struct PngVariant {
    const char* name;
    std::vector<std::string> convertArguments; // between the input and the output file
    int bitDepth;                              // of the written file's header, per sample
    int colorType;                             // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
};

std::ostream& operator<<(std::ostream& out, const PngVariant& v)
{
    return out << v.name;
}

// Palette and 16-bit-per-channel files go through the same loader, which the
// GL texture test feeds with every depth.
const PngVariant pngVariants[] = {
    {"Grey8", {"-type", "Grayscale", "-depth", "8"}, 8, 0},
    {"Grey16", {"-type", "Grayscale", "-depth", "16"}, 16, 0},
    {"GreyAlpha16",
     {"-alpha", "set", "-channel", "A", "-evaluate", "set", "50%", "+channel", "-type", "GrayscaleAlpha", "-depth",
      "8"},
     8,
     4},
    {"Rgb24", {"PNG24:"}, 8, 2},
    // Half transparent: the pictures are drawn opaque, so only the colour shows.
    {"Rgba32", {"-alpha", "set", "-channel", "A", "-evaluate", "set", "50%", "+channel", "PNG32:"}, 8, 6},
};

class OddInputPicture : public OddInput, public ::testing::WithParamInterface<PngVariant> {
protected:
    void convert(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command = {"convert"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const ToolResult result = runTool(command, std::nullopt, 60);
        ASSERT_TRUE(result.ok()) << "convert failed: " << result.errorOutput;
    }
};

// Bit depth and colour type from a PNG file's header chunk.
std::pair<int, int> pngLayout(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    unsigned char header[26] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    return {header[24], header[25]};
}

TEST_P(OddInputPicture, WelcomePictureShowsAsItLooks)
{
    const PngVariant& v = GetParam();
    const TempDir work("png-variant");
    const std::string base = (work.path() / "base.png").string();
    const std::string variant = (work.path() / "variant.png").string();
    const std::string expected = (work.path() / "expected.png").string();
    const std::string shipped = (sourceRoot / "Textures/menu/welcome16_9.png").string();

    ASSERT_NO_FATAL_FAILURE(convert({shipped, "-resize", "320x180!", "-alpha", "off", "PNG24:" + base}));
    std::vector<std::string> arguments = {base};
    std::string output = variant;
    for (const std::string& argument : v.convertArguments) {
        if (argument.back() == ':')
            output = argument + variant; // a format prefix goes on the output file
        else
            arguments.push_back(argument);
    }
    arguments.push_back(output);
    ASSERT_NO_FATAL_FAILURE(convert(arguments));
    ASSERT_EQ(pngLayout(variant), std::make_pair(v.bitDepth, v.colorType)) << "convert wrote another layout";
    // What the picture looks like, as 8-bit RGB with its alpha ignored.
    ASSERT_NO_FATAL_FAILURE(convert({variant, "-alpha", "off", "-depth", "8", "PNG24:" + expected}));

    fs::copy_file(variant, data().file("Textures/menu/welcome16_9.png"), fs::copy_options::overwrite_existing);
    startTimeout *= timeScale();
    startGame(320, 180);
    ASSERT_TRUE(waitForOutput("frametime:", 10 * timeScale()));
    // A few frames later the picture has surely been drawn and swapped.
    ASSERT_TRUE(waitForOutput("frametime:", 10 * timeScale(), outputMark()));
    ASSERT_TRUE(waitForOutput("frametime:", 10 * timeScale(), outputMark()));
    const Image shown = screenshot("welcome");
    const Image wanted = loadImage(expected);
    saveArtifact(wanted, "expected");
    // 16-bit samples lose their low byte on the way to the screen, where the
    // image tool rounds: one step apart at most.
    EXPECT_TRUE(imagesMatch(shown, wanted, 2, 0.0));
    ASSERT_TRUE(quit(30 * timeScale()));
    EXPECT_TRUE(noSanitizerReport(errorOutput()));
}

INSTANTIATE_TEST_SUITE_P(Depths, OddInputPicture, ::testing::ValuesIn(pngVariants),
                         [](const ::testing::TestParamInfo<PngVariant>& info) { return info.param.name; });

} // namespace

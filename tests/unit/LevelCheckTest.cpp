// The level check on the shipped level and the test levels under
// tests/data/levels/: each broken level is refused with the message that names
// its one fault, the others pass. A test level that stopped showing its fault
// would fail here instead of leaving the tests built on it blind.
#include "import/LevelCheck.h"

#include "LevelScene.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace levelscene;

std::string fixture(const std::string& name)
{
    return "tests/data/levels/" + name;
}

TEST(LevelCheck, NamesTheFaultOfEachTestLevel)
{
    const struct {
        std::string file;
        const char* problem;
    } rows[] = {
        {"Data/LevelFinal.dae", ""},
        {fixture("names_anim.dae"), ""},
        {fixture("names_noanim.dae"), ""},
        {fixture("three_meshes.dae"), ""},
        {fixture("textures.dae"), ""},
        {fixture("two_cameras.dae"), ""},
        {fixture("no_lights.dae"), ""},
        // Its picture cannot be read, which the texture loader finds out.
        {fixture("unknown_texture_format.dae"), ""},
        // Assimp makes smooth normals where the file has none.
        {fixture("no_normals.dae"), ""},
        {fixture("no_player.dae"), "Level error: no node named \"player\" with a mesh"},
        {fixture("no_camera.dae"), "Level error: no camera"},
        {fixture("no_camera_nodes.dae"), "Level error: the nodes \"camera1_aim\" and \"camera1_up\" are missing"},
        // Nine lights and the game's own two make eleven, one over the lit program's ten.
        {fixture("nine_lights.dae"), "Level error: 9 lights; at most 8 fit beside the game's own 2"},
        {fixture("no_uvs.dae"), "Level error: no texture coordinates in the mesh of node \"faultyMesh\""},
        // Assimp turns a triangle with a repeated corner into a line mesh.
        {fixture("degenerate_triangle.dae"),
         "Level error: faces with fewer than three corners in the mesh of node \"faultyMesh\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const Loaded level = load(sourcePath(row.file));
        ASSERT_NE(level.scene, nullptr) << level.importer->GetErrorString();
        EXPECT_EQ(checkLevel(*level.scene, 2), row.problem);
    }

    for (const char* unreadable : {"truncated.dae", "garbage.dae"}) {
        SCOPED_TRACE(unreadable);
        ASSERT_TRUE(std::ifstream(sourcePath(fixture(unreadable))).good());
        EXPECT_EQ(load(sourcePath(fixture(unreadable))).scene, nullptr);
    }

    // The level that must play although its file has no normals.
    std::ostringstream text;
    text << std::ifstream(sourcePath(fixture("no_normals.dae"))).rdbuf();
    EXPECT_EQ(text.str().find("faultyMesh-normals"), std::string::npos);
    EXPECT_NE(text.str().find("faultyMesh-uvs"), std::string::npos);
}

} // namespace

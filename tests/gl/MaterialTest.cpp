#include "scene/Material.h"

#include "render/Shader.h"
#include "support/GlContext.h"

#include <cstddef>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

const std::string shaderDir = std::string(QUARRYSTACK_SOURCE_DIR) + "/Shader/";

using MaterialTest = GlTest;

} // namespace

TEST_F(MaterialTest, FillsItsUniformBufferOnceWithTheBlock)
{
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    Material material({0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f}, {0.9f, 1.0f, 0.0f, 1.0f},
                      {0.25f, 0.5f, 0.75f, 1.0f}, 32.0f, 2);
    EXPECT_EQ(material.getUniformBuffer(), material.uniformBuffer.id());
    ASSERT_NE(material.getUniformBuffer(), 0u);

    GLint bound = -1;
    glGetIntegerv(GL_UNIFORM_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);

    glBindBuffer(GL_UNIFORM_BUFFER, material.getUniformBuffer());
    GLint size = 0, usage = 0;
    glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &size);
    glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_USAGE, &usage);
    EXPECT_EQ(size, 80);
    EXPECT_EQ(usage, GL_DYNAMIC_DRAW);

    MaterialBlock stored{};
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(stored), &stored);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    EXPECT_EQ(stored.diffuse, glm::vec4(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(stored.ambient, glm::vec4(0.5f, 0.6f, 0.7f, 0.8f));
    EXPECT_EQ(stored.specular, glm::vec4(0.9f, 1.0f, 0.0f, 1.0f));
    EXPECT_EQ(stored.emissive, glm::vec4(0.25f, 0.5f, 0.75f, 1.0f));
    EXPECT_EQ(stored.shininess, 32.0f);
    EXPECT_EQ(stored.textureCount, 2);
}

// The block image must match what the lit program declares, byte for byte.
TEST_F(MaterialTest, BlockLayoutMatchesTheLitProgram)
{
    Shader phong(shaderDir + "PhongCombined.vert", shaderDir + "PhongCombined.frag");
    const GLuint block = glGetUniformBlockIndex(phong.program, "Material");
    ASSERT_NE(block, GL_INVALID_INDEX);

    GLint dataSize = 0, memberCount = 0;
    glGetActiveUniformBlockiv(phong.program, block, GL_UNIFORM_BLOCK_DATA_SIZE, &dataSize);
    glGetActiveUniformBlockiv(phong.program, block, GL_UNIFORM_BLOCK_ACTIVE_UNIFORMS, &memberCount);
    EXPECT_EQ(dataSize, Material::blockSize);

    std::vector<GLint> indices(static_cast<size_t>(memberCount));
    glGetActiveUniformBlockiv(phong.program, block, GL_UNIFORM_BLOCK_ACTIVE_UNIFORM_INDICES, indices.data());
    std::map<std::string, GLint> offsets;
    for (GLint index : indices) {
        char name[64] = {};
        glGetActiveUniformName(phong.program, GLuint(index), sizeof(name), nullptr, name);
        GLint offset = -1;
        const GLuint u = GLuint(index);
        glGetActiveUniformsiv(phong.program, 1, &u, GL_UNIFORM_OFFSET, &offset);
        offsets[name] = offset;
    }
    const std::map<std::string, GLint> expected{
        {"Material.diffuse", GLint(offsetof(MaterialBlock, diffuse))},
        {"Material.ambient", GLint(offsetof(MaterialBlock, ambient))},
        {"Material.specular", GLint(offsetof(MaterialBlock, specular))},
        {"Material.emissive", GLint(offsetof(MaterialBlock, emissive))},
        {"Material.shininess", GLint(offsetof(MaterialBlock, shininess))},
        {"Material.textureCount", GLint(offsetof(MaterialBlock, textureCount))},
    };
    EXPECT_EQ(offsets, expected);
}

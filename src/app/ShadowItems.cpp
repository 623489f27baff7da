#include "app/ShadowItems.h"

#include "scene/ImportObject.h"
#include "scene/Level.h"
#include "scene/Light.h"

std::vector<ShadowCaster> shadowCastersOf(const Level& level)
{
    std::vector<ShadowCaster> casters;
    for (ImportObject* object : level.getObjects())
        casters.push_back({object->getDepthVao(), static_cast<GLsizei>(3 * object->getFaceCount()),
                           object->modelMatrix});
    return casters;
}

ShadowLight shadowLightOf(const Light& light)
{
    ShadowLight view{light.position, light.nearPlane, light.farPlane, {}};
    for (size_t face = 0; face < view.faceMatrices.size() && face < light.shadowTransforms.size(); ++face)
        view.faceMatrices[face] = light.shadowProjection * light.shadowTransforms[face];
    return view;
}

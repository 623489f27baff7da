#pragma once

#include "render/ShadowMap.h"

#include <vector>

class Level;
struct Light;

// The shadow pass sees plain draw items; these make them from the scene.

// Every object of `level` with its depth-pass vertex array and model matrix.
std::vector<ShadowCaster> shadowCastersOf(const Level& level);
// `light`'s position, planes and per-face projection × view.
ShadowLight shadowLightOf(const Light& light);

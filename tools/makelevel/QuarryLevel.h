#pragma once

#include "Collada.h"

#include <string>

// The game's level, Data/LevelFinal.dae: a walled stone quarry with a lower
// floor, an upper ledge reached by pushing a block against it or by the lift,
// a gap to jump on the upper level, the beacon that wins and a flooded pit
// that loses.
collada::Document buildQuarryLevel();

// The route through the level with the world coordinates of its key points,
// for scripted play tests.
std::string quarryRoute();

// Capsule the game makes from a player mesh: radius 0.5 × the bounding-sphere
// radius and cylinder height = the mesh's y extent, both halved again by the
// player's scaling (node scale 1).
struct PlayerCapsule {
    float sphereRadius = 0.0f;
    float radius = 0.0f;         // after scaling
    float cylinderHeight = 0.0f; // after scaling
    float halfHeight() const { return cylinderHeight * 0.5f + radius; }
};
PlayerCapsule playerCapsule(const collada::Mesh& playerMesh);

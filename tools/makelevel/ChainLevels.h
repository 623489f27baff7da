#pragma once

#include "Collada.h"

#include <string>

// The levels after the shaft, each one more use of the push blocks, the lifts
// and the water, with its route (key points and held keys) for scripted play.

// Data/LevelBridge.dae: a block pushed into a flooded trench makes the floor
// across it; the wall behind the trench leaves no room for a jump.
collada::Document buildBridgeLevel();
std::string bridgeRoute();

// Data/LevelCauseway.dae: a block pushed along a causeway with a bend, over
// water, to the foot of a ledge.
collada::Document buildCausewayLevel();
std::string causewayRoute();

// Data/LevelStairs.dae: a ledge two blocks high; one block goes into the
// corner under it, the other drops onto it from a shelf in a tunnel.
collada::Document buildStairsLevel();
std::string stairsRoute();

// Data/LevelCarry.dae: a block ridden up on a lift and pushed on at the top
// to the foot of the beacon's plinth.
collada::Document buildCarryLevel();
std::string carryRoute();

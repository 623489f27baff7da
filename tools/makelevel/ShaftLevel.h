#pragma once

#include "Collada.h"

#include <string>

// The second level, Data/LevelShaft.dae: a flooded shaft climbed on two lifts,
// from an island up a middle terrace to the beacon on the top terrace; the
// second lift is a platform over an open slot, to be stepped on while it waits.
collada::Document buildShaftLevel();

// Its key points and timings, for scripted play tests.
std::string shaftRoute();

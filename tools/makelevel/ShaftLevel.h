#pragma once

#include "Collada.h"

#include <string>

// The second level, Data/LevelShaft.dae: a flooded shaft climbed on two lifts
// that run out of step, from an island up a middle terrace to the beacon on
// the top terrace.
collada::Document buildShaftLevel();

// Its key points and timings, for scripted play tests.
std::string shaftRoute();

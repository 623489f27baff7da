#pragma once

// The routes that win the chain's levels (makelevel --route), for the GL test
// that plays them through the world and the end-to-end test that plays them
// through the game. No mouse: the heading stays north, so W walks north, A
// east, S south and D west.

#include <string>
#include <vector>

// Keys held for a while: letters of W, A, S and D, '_' for space, none for a wait.
struct Leg {
    std::string keys;
    double seconds;
};

// The routes of `makelevel --route`, in the order of the chain.
struct LevelRoute {
    const char* file;
    std::vector<Leg> legs;
};
inline const LevelRoute chainRoutes[] = {
    {"Data/LevelFinal.dae", {{"W", 3}, {"W_", 5}, {"W", 1}, {"A", 0.8}, {"A_", 0.25}, {"A", 3}}},
    {"Data/LevelShaft.dae", {{"W", 3}, {"", 6}, {"W", 8}}},
    {"Data/LevelBridge.dae", {{"D", 1.5}, {"W", 2.5}, {"S", 1.1}, {"A", 1}, {"W", 2}, {"D", 0.8}, {"W", 3}}},
    {"Data/LevelCauseway.dae", {{"W", 3}, {"S", 0.3}, {"D", 0.5}, {"W", 1}, {"A", 3}, {"A_", 4}}},
    {"Data/LevelStairs.dae",
     {{"D", 0.8},
      {"W", 3},
      {"D", 1.5},
      {"A", 0.3},
      {"S", 2.1},
      {"D_", 0.6},
      {"W", 3.5},
      {"S", 2.5},
      {"A", 0.8},
      {"W", 3.5},
      {"D", 0.8},
      {"W_", 4}}},
    {"Data/LevelCarry.dae", {{"D", 1}, {"", 4}, {"W", 10}, {"W_", 4}}},
};

#pragma once

#include <string>
#include <vector>

// Broken variants of a level file for robustness tests and as a fuzzing seed
// corpus: cut at an offset, a number turned to nan, inf, 1e30, -0 or its
// negative, an element deleted, duplicated or moved, an attribute renamed, a
// count changed, a reference broken. The same text and count give the same
// variants on every machine.
std::vector<std::string> levelMutations(const std::string& level, int count);

#pragma once

#include <string>
#include <vector>

// Small levels for the importer's tests, one rule or one fault each, and the
// tiny pictures they name. Paths are relative to the repository root.
struct OutputFile {
    std::string path;
    std::string bytes;
};

std::vector<OutputFile> buildFixtures();

#pragma once

#include <string>
#include <string_view>

// Checks a level file's text before Assimp's Collada reader sees it, for what
// makes that reader crash, abort or take minutes: nodes nested deeper than
// levelLimits::nodeDepth, also through <instance_node>, instances that refer
// back to themselves or multiply past levelLimits::instancedNodes, arrays and
// accessors without a count or with one past levelLimits::arrayCount,
// accessors with more params than their stride, triangle lists without an
// index list or with two, index lists holding anything but plain numbers,
// image paths that are empty, skin and morph controllers, a DOCTYPE with
// declarations, and zip archives (which the reader would open as .zae).
// Comments, processing instructions and CDATA sections are skipped as the XML
// reader skips them. Returns the level error, or an empty string.
std::string scanLevelText(std::string_view text);

// The text with its XML escapes (named and numeric) replaced by the
// characters they stand for, those past ASCII as UTF-8.
std::string unescaped(std::string_view text);

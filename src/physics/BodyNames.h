#pragma once

#include <string>

// Which lists of the physics owner a body joins, decided by its object's name.
struct BodyNameRules {
    bool win = false;     // the name contains "win"
    bool loose = false;   // the name contains "loose" (a losing trigger)
    bool floor = false;   // the name begins with "Floor"
    bool dynamic = false; // the name begins with "dynamic"
};

BodyNameRules classifyBodyName(const std::string& name);

// A node whose name begins with "dynamic" becomes a movable body of mass 1.
bool isDynamicName(const std::string& name);

// A node whose name's last part after '_' (or whole name) is "Anim" follows
// the file's key frames for it.
bool isAnimatedName(const std::string& name);

#include "physics/BodyNames.h"

BodyNameRules classifyBodyName(const std::string& name)
{
    BodyNameRules rules;
    rules.win = name.find("win") != std::string::npos;
    rules.loose = name.find("loose") != std::string::npos;
    rules.floor = name.compare(0, 5, "Floor") == 0;
    rules.dynamic = isDynamicName(name);
    return rules;
}

bool isDynamicName(const std::string& name) { return name.compare(0, 7, "dynamic") == 0; }

bool isAnimatedName(const std::string& name)
{
    const auto underscore = name.find_last_of('_');
    return name.compare(underscore == std::string::npos ? 0 : underscore + 1, std::string::npos, "Anim") == 0;
}

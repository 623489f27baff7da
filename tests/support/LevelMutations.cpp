#include "LevelMutations.h"

#include <cctype>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// A fixed linear congruential generator: std::minstd_rand's numbers are
// fixed too, but its distributions are not.
struct Dice {
    uint64_t state;
    // splitmix64: neighbouring seeds give unrelated numbers.
    size_t below(size_t n)
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return n == 0 ? 0 : size_t((z ^ (z >> 31)) % n);
    }
};

// Offsets of the places in `text` where `accept` holds.
template <typename Accept> std::vector<size_t> placesWhere(const std::string& text, Accept accept)
{
    std::vector<size_t> places;
    for (size_t i = 0; i < text.size(); ++i)
        if (accept(i))
            places.push_back(i);
    return places;
}

bool numberStart(const std::string& t, size_t i)
{
    const bool digit = std::isdigit(static_cast<unsigned char>(t[i])) != 0;
    const bool before = i > 0 && (std::isalnum(static_cast<unsigned char>(t[i - 1])) || t[i - 1] == '.' ||
                                  t[i - 1] == '-' || t[i - 1] == '_' || t[i - 1] == '#');
    return (digit || (t[i] == '-' && i + 1 < t.size() && std::isdigit(static_cast<unsigned char>(t[i + 1])))) &&
           !before;
}

size_t numberEnd(const std::string& t, size_t i)
{
    size_t end = i + 1;
    while (end < t.size() && (std::isdigit(static_cast<unsigned char>(t[end])) || t[end] == '.' || t[end] == 'e' ||
                              t[end] == '-' || t[end] == '+'))
        ++end;
    return end;
}

// The span of the element that opens at `start` ('<' of a start tag), its
// end tag included; npos as length when it never closes.
std::pair<size_t, size_t> elementAt(const std::string& t, size_t start)
{
    size_t nameEnd = start + 1;
    while (nameEnd < t.size() && !std::isspace(static_cast<unsigned char>(t[nameEnd])) && t[nameEnd] != '>' &&
           t[nameEnd] != '/')
        ++nameEnd;
    const std::string name = t.substr(start + 1, nameEnd - start - 1);
    const size_t tagEnd = t.find('>', start);
    if (tagEnd == std::string::npos)
        return {start, std::string::npos};
    if (t[tagEnd - 1] == '/')
        return {start, tagEnd + 1 - start};
    int depth = 1;
    for (size_t at = t.find(name, tagEnd); at != std::string::npos; at = t.find(name, at + 1)) {
        const bool open = t[at - 1] == '<' && (t[at + name.size()] == ' ' || t[at + name.size()] == '>');
        const bool close = at >= 2 && t.compare(at - 2, 2, "</") == 0 && t[at + name.size()] == '>';
        depth += open ? 1 : close ? -1 : 0;
        if (depth == 0)
            return {start, at + name.size() + 1 - start};
    }
    return {start, std::string::npos};
}

std::string mutate(const std::string& level, int kind, Dice& dice)
{
    static const char* const numbers[] = {"nan", "inf", "-inf", "1e30", "-1e30", "-0", "0", "1e-30"};
    std::string t = level;
    auto pick = [&](const std::vector<size_t>& places) {
        return places.empty() ? 0 : places[dice.below(places.size())];
    };
    switch (kind) {
    case 0: // cut
        return t.substr(0, dice.below(t.size()));
    case 1: { // a number turned to a bad one or its negative
        const size_t at = pick(placesWhere(t, [&](size_t i) { return numberStart(t, i); }));
        const size_t end = numberEnd(t, at);
        const size_t choice = dice.below(10);
        const std::string number = t.substr(at, end - at);
        const std::string replacement = choice < 8         ? numbers[choice]
                                        : number[0] == '-' ? number.substr(1)
                                                           : "-" + number;
        return t.replace(at, end - at, replacement);
    }
    case 2:
    case 3:
    case 4: { // an element deleted, duplicated or moved
        const auto starts = placesWhere(t, [&](size_t i) {
            return t[i] == '<' && i + 1 < t.size() && std::isalpha(static_cast<unsigned char>(t[i + 1]));
        });
        const auto [start, length] = elementAt(t, pick(starts));
        if (length == std::string::npos)
            return t;
        const std::string element = t.substr(start, length);
        if (kind == 3)
            return t.insert(start + length, element);
        t.erase(start, length);
        if (kind == 4) {
            const auto targets = placesWhere(t, [&](size_t i) { return t[i] == '<'; });
            t.insert(pick(targets), element);
        }
        return t;
    }
    case 5: { // an attribute renamed
        const size_t at =
            pick(placesWhere(t, [&](size_t i) { return t[i] == '=' && i + 1 < t.size() && t[i + 1] == '"'; }));
        return t.insert(at, "_renamed");
    }
    case 6: { // a count changed
        const auto places = placesWhere(t, [&](size_t i) { return t.compare(i, 7, "count=\"") == 0; });
        if (places.empty())
            return t;
        const size_t at = pick(places) + 7;
        const size_t end = t.find('"', at);
        static const char* const counts[] = {"0", "1", "4294967295", "-1", "999999", "3"};
        const size_t choice = dice.below(7);
        const std::string old = t.substr(at, end - at);
        return t.replace(at, end - at, choice < 6 ? counts[choice] : old + "0");
    }
    default: { // a reference broken
        const size_t at = pick(placesWhere(t, [&](size_t i) { return t[i] == '#' && i > 0 && t[i - 1] == '"'; }));
        return t.insert(at + 1, "missing_");
    }
    }
}

} // namespace

std::vector<std::string> levelMutations(const std::string& level, int count)
{
    std::vector<std::string> variants;
    for (int i = 0; i < count; ++i) {
        Dice dice{uint64_t(i)};
        variants.push_back(mutate(level, i % 8, dice));
    }
    return variants;
}

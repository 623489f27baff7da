#include "LevelMutations.h"

#include <cctype>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// A fixed generator, splitmix64 (neighbouring seeds give unrelated numbers):
// std::minstd_rand's numbers are fixed too, but its distributions are not.
struct Dice {
    uint64_t state;
    size_t below(size_t n)
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return n == 0 ? 0 : size_t((z ^ (z >> 31)) % n);
    }
};

bool digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool alnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

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
    const bool before = i > 0 && (alnum(t[i - 1]) || std::string(".-_#").find(t[i - 1]) != std::string::npos);
    return (digit(t[i]) || (t[i] == '-' && i + 1 < t.size() && digit(t[i + 1]))) && !before;
}

size_t numberEnd(const std::string& t, size_t i)
{
    size_t end = i + 1;
    while (end < t.size() && (digit(t[end]) || std::string(".e-+").find(t[end]) != std::string::npos))
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

std::string mutate(std::string t, int kind, Dice& dice)
{
    auto pick = [&](const std::vector<size_t>& places) {
        return places.empty() ? 0 : places[dice.below(places.size())];
    };
    switch (kind) {
    case 0: // cut
        return t.substr(0, dice.below(t.size()));
    case 1: { // a number turned to a bad one or its negative
        static const char* const numbers[] = {"nan", "inf", "-inf", "1e30", "-1e30", "-0", "0", "1e-30"};
        const size_t at = pick(placesWhere(t, [&](size_t i) { return numberStart(t, i); })), end = numberEnd(t, at);
        const size_t choice = dice.below(10);
        const std::string number = t.substr(at, end - at);
        return t.replace(at, end - at,
                         choice < 8         ? numbers[choice]
                         : number[0] == '-' ? number.substr(1)
                                            : "-" + number);
    }
    case 2:
    case 3:
    case 4: { // an element deleted, duplicated or moved
        const auto [start, length] =
            elementAt(t, pick(placesWhere(t, [&](size_t i) {
                          return t[i] == '<' && i + 1 < t.size() && std::isalpha(static_cast<unsigned char>(t[i + 1]));
                      })));
        if (length == std::string::npos)
            return t;
        const std::string element = t.substr(start, length);
        if (kind == 3)
            return t.insert(start + length, element);
        t.erase(start, length);
        return kind == 4 ? t.insert(pick(placesWhere(t, [&](size_t i) { return t[i] == '<'; })), element) : t;
    }
    case 5: // an attribute renamed
        return t.insert(
            pick(placesWhere(t, [&](size_t i) { return t[i] == '=' && i + 1 < t.size() && t[i + 1] == '"'; })),
            "_renamed");
    case 6: { // a count changed
        const auto places = placesWhere(t, [&](size_t i) { return t.compare(i, 7, "count=\"") == 0; });
        if (places.empty())
            return t;
        static const char* const counts[] = {"0", "1", "4294967295", "-1", "999999", "3"};
        const size_t at = pick(places) + 7, end = t.find('"', at), choice = dice.below(7);
        return t.replace(at, end - at, choice < 6 ? counts[choice] : t.substr(at, end - at) + "0");
    }
    default: // a reference broken
        return t.insert(pick(placesWhere(t, [&](size_t i) { return t[i] == '#' && i > 0 && t[i - 1] == '"'; })) + 1,
                        "missing_");
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

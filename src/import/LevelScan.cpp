#include "import/LevelScan.h"

#include "import/LevelCheck.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::size_t longestTag = 65536;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The character `code` in UTF-8, as the XML reader writes a numeric escape.
std::string utf8(unsigned long code)
{
    if (code < 0x80)
        return std::string(1, char(code));
    static const unsigned char lead[] = {0, 0xC0, 0xE0, 0xF0};
    int extra = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    std::string out(1, char(lead[extra] | (code >> (6 * extra))));
    while (extra-- > 0)
        out += char(0x80 | ((code >> (6 * extra)) & 0x3F));
    return out;
}

// A start or end tag: its name and attributes as the XML reader reads them.
struct Tag {
    std::string name;   // "/node" for an end tag
    bool empty = false; // "<name/>"
    std::vector<std::pair<std::string, std::string>> attributes;

    bool is(std::string_view element) const { return name == element; }
    // The first attribute of that name, unescaped; empty when there is none.
    std::string operator[](std::string_view key) const
    {
        for (const auto& [name, value] : attributes)
            if (name == key)
                return value;
        return {};
    }
};

// The tag in `text`, the characters between '<' and '>'. Attributes past a
// syntax error are left out: the XML reader refuses such a file anyway.
Tag parseTag(std::string_view text)
{
    Tag tag;
    if (!text.empty() && text.back() == '/') {
        tag.empty = true;
        text.remove_suffix(1);
    }
    std::size_t i = 0;
    while (i < text.size() && !isSpace(text[i]))
        ++i;
    tag.name = std::string(text.substr(0, i));
    while (true) {
        while (i < text.size() && isSpace(text[i]))
            ++i;
        const std::size_t nameStart = i;
        while (i < text.size() && !isSpace(text[i]) && text[i] != '=')
            ++i;
        const std::string_view key = text.substr(nameStart, i - nameStart);
        while (i < text.size() && isSpace(text[i]))
            ++i;
        if (key.empty() || i >= text.size() || text[i] != '=')
            return tag;
        ++i;
        while (i < text.size() && isSpace(text[i]))
            ++i;
        if (i >= text.size() || (text[i] != '"' && text[i] != '\''))
            return tag;
        const std::size_t end = text.find(text[i], i + 1);
        if (end == npos)
            return tag;
        tag.attributes.emplace_back(std::string(key), unescaped(text.substr(i + 1, end - i - 1)));
        i = end + 1;
    }
}

// Where a text of an image path names no file once Assimp has taken off its
// blanks and a "file:" prefix with its slashes; Assimp aborts on it.
bool namesNoFile(std::string_view raw)
{
    const std::string text = unescaped(raw);
    std::size_t from = text.find_first_not_of(" \t\r\n");
    if (from != npos && text.compare(from, 5, "file:") == 0)
        from = text.find_first_not_of(" \t\r\n/\\", from + 5);
    return from == npos;
}

// The nodes of the file and how they instance one another: Assimp copies an
// instanced node's tree in place of each <instance_node>, by a recursion that
// never ends on a cycle and overflows the stack on a deep chain.
class NodeGraph {
public:
    void open(const Tag& tag)
    {
        const std::size_t index = nodes.size();
        nodes.push_back({});
        for (const char* key : {"id", "name"})
            if (const std::string name = tag[key]; !name.empty())
                byName.emplace(name, index);
        nodes[index].label = !tag["id"].empty() ? tag["id"] : tag["name"];
        if (!open_.empty())
            nodes[open_.back()].children.push_back(index);
        if (!tag.empty)
            open_.push_back(index);
    }
    void close()
    {
        if (!open_.empty())
            open_.pop_back();
    }
    void instance(const std::string& url)
    {
        if (!open_.empty())
            nodes[open_.back()].instanced.push_back(url.substr(url.rfind('#') == npos ? 0 : url.rfind('#') + 1));
    }

    // The problem with the nodes once every instance is put in place.
    std::string problem();

private:
    struct Node {
        std::string label;
        std::vector<std::size_t> children;
        std::vector<std::string> instanced;
        std::size_t depth = 0, count = 0;
        enum { New, Open, Done } state = New;
    };
    // Each node a child or an instance of `node` puts below it.
    std::vector<std::size_t> below(const Node& node) const
    {
        std::vector<std::size_t> found = node.children;
        for (const std::string& name : node.instanced) {
            const auto range = byName.equal_range(name);
            for (auto it = range.first; it != range.second; ++it)
                found.push_back(it->second);
        }
        return found;
    }

    std::vector<Node> nodes;
    std::multimap<std::string, std::size_t> byName;
    std::vector<std::size_t> open_;
};

std::string NodeGraph::problem()
{
    const std::size_t countLimit = levelLimits::instancedNodes;
    // Depth first without recursion: a chain of instances may be long.
    for (std::size_t root = 0; root < nodes.size(); ++root) {
        std::vector<std::pair<std::size_t, std::vector<std::size_t>>> path;
        if (nodes[root].state == Node::New) {
            nodes[root].state = Node::Open;
            path.emplace_back(root, below(nodes[root]));
        }
        while (!path.empty()) {
            auto& [index, next] = path.back();
            if (!next.empty()) {
                const std::size_t child = next.back();
                next.pop_back();
                if (nodes[child].state == Node::Open)
                    return "Level error: node \"" + nodes[child].label + "\" instances itself through <instance_node>";
                if (nodes[child].state == Node::New) {
                    nodes[child].state = Node::Open;
                    path.emplace_back(child, below(nodes[child]));
                }
                continue;
            }
            Node& node = nodes[index];
            node.depth = 1, node.count = 1;
            for (std::size_t child : below(node)) {
                node.depth = std::max(node.depth, nodes[child].depth + 1);
                node.count = std::min(node.count + nodes[child].count, countLimit + 1);
            }
            node.state = Node::Done;
            if (node.depth > std::size_t(levelLimits::nodeDepth))
                return "Level error: node \"" + node.label + "\" holds more than " +
                       std::to_string(levelLimits::nodeDepth) + " nested nodes with its instances";
            if (node.count > countLimit)
                return "Level error: node \"" + node.label + "\" holds more than " + std::to_string(countLimit) +
                       " nodes with its instances";
            path.pop_back();
        }
    }
    return {};
}

// One pass over the text; `run` returns the first problem.
// The value of an attribute of digits only, `absent` for none; anything else
// is past every limit.
unsigned long long wholeNumber(const std::string& text, unsigned long long absent)
{
    if (text.empty())
        return absent;
    if (text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
        return ~0ull;
    return std::stoull(text);
}

class TextScan {
public:
    explicit TextScan(std::string_view text) : text(text) {}

    std::string run()
    {
        while (at < text.size()) {
            const std::size_t markup = text.find('<', at);
            const std::string_view run = text.substr(at, markup == npos ? npos : markup - at);
            if (std::string problem = characters(run); !problem.empty())
                return problem;
            if (markup == npos)
                break;
            at = markup;
            if (std::string problem = this->markup(); !problem.empty())
                return problem;
        }
        return nodes.problem();
    }

private:
    std::string characters(std::string_view run);
    std::string markup();
    std::string element(const Tag& tag);
    std::string endOfPath();
    std::string endOfNumber();
    std::string endOfList();
    std::string readsPastItsArray(const Tag& accessorTag) const;

    // Moves past the first `end` from here, or to the end of the text.
    void skipPast(std::string_view end)
    {
        const std::size_t found = text.find(end, at);
        at = found == npos ? text.size() : found + end.size();
    }

    std::string_view text;
    std::size_t at = 0;
    int depth = 0;
    // Assimp stops the process on an accessor with more params than its stride.
    // So it does on a triangle or polygon list with no index list or a second one.
    long stride = 0, params = 0;
    unsigned long long lists = 0, declared = 0; // index lists <p> read, and the count of the primitive
    bool faceSizes = false;                     // a <polylist> gave its <vcount>
    std::string accessor, primitive;
    // The declared size of each array: an accessor that reads past it makes
    // Assimp read out of bounds.
    std::map<std::string, unsigned long long> arraySizes;
    // Index lists hold plain numbers: Assimp takes minutes over "-1e30" as an index.
    bool inIndices = false, inNumber = false;
    unsigned long long index = 0;
    std::string list; // "p", "vcount" or "h"
    // Assimp reads an index list with the inputs declared before it: without
    // the vertices' input it reads before the indices, and a polygon or fan of
    // no corners (its list empty, or its count 0: then Assimp reads no list)
    // brings the process down. Assimp sees a list's numbers up to its first markup.
    bool vertexInput = false, noIndices = false, countingList = false;
    unsigned long long offsets = 1, numbers = 0;
    // The text of an <init_from> read so far, without its leading blanks.
    std::optional<std::string> path;
    NodeGraph nodes;
};

std::string TextScan::characters(std::string_view run)
{
    if (path && path->size() < 256) {
        // Leading blanks are dropped: the path is blank while it holds none.
        const std::size_t from = path->empty() ? std::min(run.find_first_not_of(" \t\r\n"), run.size()) : 0;
        path->append(run.substr(from, 256));
    }
    if (!inIndices)
        return {};
    for (char c : run) {
        if (isSpace(c)) {
            if (std::string problem = endOfNumber(); !problem.empty())
                return problem;
        } else if (c < '0' || c > '9' || (index = index * 10 + unsigned(c - '0')) > levelLimits::arrayCount) {
            return "Level error: the index list of a <" + primitive + "> element holds \"" + c +
                   "\", not an index below " + std::to_string(levelLimits::arrayCount);
        } else if (!inNumber) {
            inNumber = true;
            numbers += countingList;
        }
    }
    return {};
}

// A face size of 0 in a <vcount> makes a face of no corners.
std::string TextScan::endOfNumber()
{
    const bool noCorners = inNumber && index == 0 && list == "vcount";
    inNumber = false;
    index = 0;
    return noCorners ? "Level error: a <" + primitive + "> element with a face of no corners in its <vcount>"
                     : std::string();
}

// The corners of an index list <p> once its first markup (or its end) is reached.
std::string TextScan::endOfList()
{
    if (!countingList)
        return {};
    countingList = false;
    const unsigned long long corners = noIndices ? 0 : numbers / offsets;
    const unsigned long long least = primitive == "tristrips" ? 2
                                     : primitive == "polygons" || primitive == "trifans" || primitive == "linestrips"
                                         ? 1
                                         : 0;
    if (corners >= least)
        return {};
    if (noIndices)
        return "Level error: a <" + primitive + "> element counts 0 but holds an index list <p>";
    return "Level error: an index list <p> of a <" + primitive + "> element holds " +
           (corners == 0 ? "no corners" : "1 corner; a strip needs 2");
}

// An image path ends at the first markup after its text (Assimp reads an
// <init_from> as text, also where it holds the <ref> of newer files).
std::string TextScan::endOfPath()
{
    if (!path)
        return {};
    const bool refused = path->empty() || namesNoFile(*path);
    path.reset();
    return refused ? "Level error: an image without a file name (an empty <init_from>)" : std::string();
}

std::string TextScan::markup()
{
    const std::string_view rest = text.substr(at);
    if (inIndices) {
        std::string problem = endOfNumber();
        if (problem.empty())
            problem = endOfList();
        if (!problem.empty())
            return problem;
    }
    if (rest.compare(0, 2, "<?") == 0 || rest.compare(0, 4, "<!--") == 0) {
        // Quotes mean nothing inside a processing instruction or a comment.
        skipPast(rest[1] == '?' ? "?>" : "-->");
        return endOfPath();
    }
    if (rest.compare(0, 9, "<![CDATA[") == 0) {
        if (inIndices || path)
            return "Level error: a CDATA section inside an index list or an image path";
        skipPast("]]>");
        return {};
    }
    // A tag or a declaration runs to the first '>' outside quotes.
    std::size_t end = 1;
    for (char quote = 0; end < rest.size() && (quote || rest[end] != '>'); ++end) {
        if (quote ? rest[end] == quote : (rest[end] == '"' || rest[end] == '\''))
            quote = quote ? 0 : rest[end];
        else if (!quote && rest[1] == '!' && rest[end] == '[')
            return "Level error: a <!DOCTYPE> with declarations of its own; a level needs none";
    }
    if (end > longestTag)
        return "Level error: a tag longer than " + std::to_string(longestTag) + " characters";
    at += std::min(end + 1, rest.size());
    if (rest[1] == '!')
        return {};
    if (std::string problem = endOfPath(); !problem.empty())
        return problem;
    const Tag tag = parseTag(rest.substr(1, end - 1));
    inIndices = false;
    return element(tag);
}

// The mesh primitives Assimp reads, each with index lists <p> of plain numbers.
const std::string primitives[] = {"triangles", "polylist", "lines", "polygons", "tristrips", "trifans", "linestrips"};

std::string TextScan::element(const Tag& tag)
{
    if (tag.is("accessor")) {
        if (std::string problem = readsPastItsArray(tag); !problem.empty())
            return problem;
        accessor = tag["source"];
        const std::string strideText = tag["stride"];
        stride = strideText.empty() ? 1 : std::atol(strideText.c_str());
        params = 0;
    } else if (tag.is("param") && !accessor.empty() && ++params > stride) {
        return "Level error: the accessor of \"" + accessor + "\" has more params than its stride";
    } else if (tag.is("/accessor")) {
        accessor.clear();
    } else if (std::find(std::begin(primitives), std::end(primitives), tag.name) != std::end(primitives)) {
        primitive = tag.name;
        lists = 0;
        faceSizes = vertexInput = false;
        offsets = 1;
        declared = wholeNumber(tag["count"], 0);
        noIndices = declared == 0;
    } else if (tag.is("input") && !primitive.empty()) {
        // Assimp counts the offsets of the inputs it knows.
        static const std::string known[] = {"POSITION", "TEXCOORD", "NORMAL",      "COLOR",     "VERTEX",
                                            "BINORMAL", "TANGENT",  "TEXBINORMAL", "TEXTANGENT"};
        const std::string semantic = tag["semantic"];
        if (std::find(std::begin(known), std::end(known), semantic) != std::end(known))
            offsets = std::max(offsets, std::min(wholeNumber(tag["offset"], 0), levelLimits::arrayCount) + 1);
        vertexInput = vertexInput || semantic == "VERTEX";
    } else if ((tag.is("p") || tag.is("vcount") || tag.is("h")) && !primitive.empty()) {
        // Triangles, polylists and lines hold one list; the others one a polygon or strip.
        if (tag.is("p") && ++lists > 1 && (primitive == "triangles" || primitive == "polylist" || primitive == "lines"))
            return "Level error: a <" + primitive + "> element with more than one index list <p>";
        if (tag.is("p") && !vertexInput)
            return "Level error: a <" + primitive +
                   "> element without its vertices (an <input semantic=\"VERTEX\"> before its index list <p>)";
        faceSizes = faceSizes || (tag.is("vcount") && !tag.empty);
        inIndices = !tag.empty;
        list = tag.name;
        countingList = tag.is("p");
        numbers = 0;
        if (tag.empty)
            return endOfList();
    } else if (!primitive.empty() && tag.name == "/" + primitive) {
        if (lists == 0)
            return "Level error: a <" + primitive + "> element without an index list <p>";
        if (primitive == "polylist" && !faceSizes)
            return "Level error: a <polylist> element without its face sizes <vcount>";
        // Assimp stops the process where a <polygons> holds another number of polygons than it counts.
        if (primitive == "polygons" && lists != declared)
            return "Level error: a <polygons> element counts " + std::to_string(declared) + " polygons but holds " +
                   std::to_string(lists) + (lists == 1 ? " index list <p>" : " index lists <p>");
        primitive.clear();
    } else if (tag.is("init_from")) {
        if (tag.empty)
            return "Level error: an image without a file name (an empty <init_from>)";
        path.emplace();
    } else if (tag.is("controller") || tag.is("instance_controller")) {
        const std::string name = tag.is("controller") ? tag["id"] : tag["url"];
        return "Level error: the skinned or morphed mesh \"" + name +
               "\" (a <controller>); apply its armature or shape keys before the export";
    } else if (tag.is("instance_node")) {
        nodes.instance(tag["url"]);
    }
    if (tag.is("/node")) {
        --depth;
        nodes.close();
        return {};
    }
    if (tag.is("node")) {
        nodes.open(tag);
        if (!tag.empty && ++depth > levelLimits::nodeDepth)
            return "Level error: node \"" + tag["id"] + "\" lies deeper than " +
                   std::to_string(levelLimits::nodeDepth) + " nested nodes";
    }
    const std::string count = tag["count"];
    for (const char* array : {"float_array", "int_array", "Name_array", "IDREF_array", "bool_array"})
        if (tag.is(array))
            arraySizes[tag["id"]] = wholeNumber(count, 0);
    // Assimp reads past its data when an array or an accessor lacks its count.
    for (const char* counted : {"float_array", "int_array", "Name_array", "IDREF_array", "bool_array", "accessor",
                                "triangles", "polylist", "lines", "polygons", "tristrips", "trifans", "linestrips"}) {
        if (count.empty() && tag.is(counted))
            return "Level error: a <" + std::string(counted) + "> element without its count";
    }
    if (wholeNumber(count, 0) > levelLimits::arrayCount) {
        return "Level error: element \"" + tag["id"] + "\" counts " + count + " values; at most " +
               std::to_string(levelLimits::arrayCount) + " fit the memory budget";
    }
    return {};
}

// An accessor takes `count` groups of `stride` values after `offset` values of
// its source array.
std::string TextScan::readsPastItsArray(const Tag& accessorTag) const
{
    const std::string source = accessorTag["source"];
    const auto array = arraySizes.find(source.substr(source.empty() ? 0 : 1));
    if (array == arraySizes.end())
        return {};
    const unsigned long long count = wholeNumber(accessorTag["count"], 0),
                             stride = wholeNumber(accessorTag["stride"], 1),
                             offset = wholeNumber(accessorTag["offset"], 0);
    const unsigned long long limit = levelLimits::arrayCount;
    if (count > limit || stride > limit || offset > limit || count * stride + offset > array->second)
        return "Level error: the accessor of \"" + source + "\" reads past the end of its array";
    return {};
}

} // namespace

std::string unescaped(std::string_view text)
{
    static const std::pair<std::string_view, char> named[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t end = text[i] == '&' ? text.find(';', i) : npos;
        if (end == npos) {
            out += text[i];
            continue;
        }
        const std::string_view entity = text.substr(i, end + 1 - i);
        const auto found =
            std::find_if(std::begin(named), std::end(named), [&](const auto& pair) { return pair.first == entity; });
        if (found != std::end(named)) {
            out += found->second;
        } else if (entity.size() > 3 && entity[1] == '#') {
            const bool hex = entity[2] == 'x';
            out +=
                utf8(std::strtoul(std::string(entity.substr(hex ? 3 : 2)).c_str(), nullptr, hex ? 16 : 10) & 0x1FFFFF);
        } else {
            out += entity;
        }
        i = end;
    }
    return out;
}

std::string scanLevelText(std::string_view text)
{
    // Assimp opens a zip archive as a .zae level whatever its name; the end
    // record of one lies at the end of the file, behind anything.
    if (text.substr(0, 4) == std::string_view("PK\3\4", 4) || text.find(std::string_view("PK\5\6", 4)) != npos)
        return "Level error: the file is a zip archive (.zae); the game reads a level from a plain .dae file";
    return TextScan(text).run();
}

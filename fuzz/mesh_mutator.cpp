// A chunk-aware mutator for the mesh harness, linked only into the libFuzzer
// binary. Byte-level mutations rarely keep a 3D Studio file's nested lengths
// consistent, so they seldom build an object out of repeated or reordered
// sub-chunks. This one reads the input as a chunk tree, changes the tree
// (repeats a chunk, moves it among its siblings, copies it into another
// parent, drops it, or lets libFuzzer change one chunk's own bytes) and writes
// it back with every length recomputed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

constexpr size_t kHeaderSize = 6;
constexpr int kMaxDepth = 24;

struct Node {
    uint16_t id = 0;
    std::vector<uint8_t> prefix; // the chunk's own data before its sub-chunks
    std::vector<Node> children;
    std::vector<uint8_t> suffix; // what follows the last sub-chunk that parses
};

uint32_t U32(const uint8_t* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

// How many bytes of a chunk's data come before its sub-chunks; ~0 for chunks
// that hold none.
size_t PrefixSize(uint16_t id, const uint8_t* data, size_t size)
{
    switch (id) {
    case 0x4D4D: case 0x3D3D: case 0xAFFF: case 0xA020: case 0xA200: case 0x4100:
        return 0;
    case 0x4000: {
        const void* zero = std::memchr(data, 0, size);
        return zero ? size_t(static_cast<const uint8_t*>(zero) - data) + 1 : size;
    }
    case 0x4120: {
        if (size < 2)
            return size;
        const size_t faces = size_t(data[0] | data[1] << 8);
        return std::min(size, 2 + 8 * faces);
    }
    default:
        return ~size_t(0);
    }
}

Node Parse(uint16_t id, const uint8_t* data, size_t size, int depth)
{
    Node node;
    node.id = id;
    // The reader ignores the first chunk's identifier and walks it whatever it is.
    const size_t prefix = depth == 0 ? 0 : depth < kMaxDepth ? PrefixSize(id, data, size) : ~size_t(0);
    if (prefix == ~size_t(0)) {
        node.prefix.assign(data, data + size);
        return node;
    }
    node.prefix.assign(data, data + prefix);
    size_t at = prefix;
    while (size - at >= kHeaderSize) {
        const uint32_t length = U32(data + at + 2);
        if (length < kHeaderSize || length > size - at)
            break;
        node.children.push_back(Parse(uint16_t(data[at] | data[at + 1] << 8), data + at + kHeaderSize,
                                      length - kHeaderSize, depth + 1));
        at += length;
    }
    node.suffix.assign(data + at, data + size);
    return node;
}

void Write(const Node& node, std::vector<uint8_t>& out)
{
    const size_t start = out.size();
    out.resize(start + kHeaderSize);
    out.insert(out.end(), node.prefix.begin(), node.prefix.end());
    for (const Node& child : node.children)
        Write(child, out);
    out.insert(out.end(), node.suffix.begin(), node.suffix.end());
    const uint32_t length = uint32_t(out.size() - start);
    const uint8_t header[kHeaderSize] = {uint8_t(node.id), uint8_t(node.id >> 8), uint8_t(length),
                                         uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24)};
    std::memcpy(out.data() + start, header, kHeaderSize);
}

struct Place {
    Node* parent;
    size_t index;
};

void Collect(Node& node, std::vector<Place>& places, std::vector<Node*>& containers)
{
    if (!node.children.empty() || PrefixSize(node.id, node.prefix.data(), node.prefix.size()) != ~size_t(0))
        containers.push_back(&node);
    for (size_t i = 0; i < node.children.size(); ++i) {
        places.push_back({&node, i});
        Collect(node.children[i], places, containers);
    }
}

// Changes one chunk of the tree; false when the tree offers nothing to change.
bool MutateTree(Node& root, std::minstd_rand& random, size_t maxSize)
{
    std::vector<Place> places;
    std::vector<Node*> containers;
    Collect(root, places, containers);
    if (places.empty())
        return false;
    const Place place = places[random() % places.size()];
    std::vector<Node>& siblings = place.parent->children;
    switch (random() % 5) {
    case 0: // repeat a chunk right after itself
        siblings.insert(siblings.begin() + ptrdiff_t(place.index), siblings[place.index]);
        return true;
    case 1: { // move a chunk among its siblings
        Node moved = std::move(siblings[place.index]);
        siblings.erase(siblings.begin() + ptrdiff_t(place.index));
        siblings.insert(siblings.begin() + ptrdiff_t(random() % (siblings.size() + 1)), std::move(moved));
        return true;
    }
    case 2: { // copy a chunk into another parent, even at another level
        Node copy = siblings[place.index];
        std::vector<Node>& target = containers[random() % containers.size()]->children;
        target.insert(target.begin() + ptrdiff_t(random() % (target.size() + 1)), std::move(copy));
        return true;
    }
    case 3:
        siblings.erase(siblings.begin() + ptrdiff_t(place.index));
        return true;
    default: { // change a chunk's own bytes (counts, coordinates, names)
        std::vector<uint8_t>& bytes = siblings[place.index].prefix;
        if (bytes.empty())
            bytes.push_back(uint8_t(random()));
        const size_t size = bytes.size();
        bytes.resize(std::min(size + 64, std::max(size, maxSize)));
        bytes.resize(LLVMFuzzerMutate(bytes.data(), size, bytes.size()));
        return true;
    }
    }
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    std::minstd_rand random(seed);
    // A share of plain byte mutations keeps lengths, headers and the
    // unparsed rest of the file changing too.
    if (size < kHeaderSize || random() % 4 == 0)
        return LLVMFuzzerMutate(data, size, maxSize);
    Node root = Parse(uint16_t(data[0] | data[1] << 8), data + kHeaderSize, size - kHeaderSize, 0);
    if (!MutateTree(root, random, maxSize))
        return LLVMFuzzerMutate(data, size, maxSize);
    std::vector<uint8_t> out;
    Write(root, out);
    if (out.size() > maxSize)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::memcpy(data, out.data(), out.size());
    return out.size();
}

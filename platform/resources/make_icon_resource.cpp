// Build tool: turns an .ico or .cur file into a C++ source that registers it
// the way resources are looked up at run time: one group resource
// (RT_GROUP_ICON / RT_GROUP_CURSOR, a directory of 14-byte entries naming
// each image by resource id) and one RT_ICON / RT_CURSOR resource per image
// (a cursor image starts with its hot spot, two 16-bit words).
//
//   trelwin-icon-resource icon|cursor <id-or-name> <first-image-id> <in> <out.cpp>
//
// Image ids run from <first-image-id> upwards, at most kMaxImages of them.
// Any damage in the file fails the build with a message.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxImages = 16;
const uint8_t kPngSignature[4] = {0x89, 'P', 'N', 'G'};

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

struct Image {
    std::vector<uint8_t> bytes;  // what the RT_ICON / RT_CURSOR resource holds
    std::vector<uint8_t> entry;  // its 14-byte group entry
};

[[noreturn]] void Fail(const std::string& file, const std::string& why) {
    std::fprintf(stderr, "trelwin-icon-resource: %s: %s\n", file.c_str(), why.c_str());
    std::exit(1);
}

std::vector<Image> ReadImages(const std::string& path, bool cursor, unsigned firstId) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(path, "cannot be read");
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < 6 || U16(&file[0]) != 0 || U16(&file[2]) != (cursor ? 2 : 1)) {
        Fail(path, cursor ? "is not a cursor file" : "is not an icon file");
    }
    const size_t count = U16(&file[4]);
    if (count == 0 || count > kMaxImages) Fail(path, "must hold 1 to 16 images");
    if (file.size() < 6 + 16 * count) Fail(path, "directory is cut short");
    std::vector<Image> images;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = &file[6 + 16 * i];
        const uint32_t size = U32(e + 8), offset = U32(e + 12);
        if (offset > file.size() || file.size() - offset < size) Fail(path, "an image lies outside the file");
        if (size < 40) Fail(path, "an image is too small");
        const uint8_t* dib = &file[offset];
        if (std::equal(kPngSignature, kPngSignature + 4, dib)) Fail(path, "PNG images are not supported");
        const unsigned width = e[0] ? e[0] : 256, height = e[1] ? e[1] : 256, bpp = U16(dib + 14);
        const unsigned id = firstId + static_cast<unsigned>(i);
        Image image;
        if (cursor) {
            Put16(image.bytes, U16(e + 4));  // hot spot x
            Put16(image.bytes, U16(e + 6));  // hot spot y
            Put16(image.entry, width);
            Put16(image.entry, height * 2);
        } else {
            image.entry = {static_cast<uint8_t>(e[0]), static_cast<uint8_t>(e[1]), e[2], 0};
        }
        image.bytes.insert(image.bytes.end(), dib, dib + size);
        Put16(image.entry, 1);    // planes
        Put16(image.entry, bpp);
        Put32(image.entry, static_cast<uint32_t>(image.bytes.size()));
        Put16(image.entry, id);
        images.push_back(std::move(image));
    }
    return images;
}

std::string Bytes(const std::vector<uint8_t>& bytes) {
    std::ostringstream out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(bytes[i]) << ',';
    }
    return out.str();
}

std::string NameExpression(const std::string& name) {
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) {
        if (std::stoul(name) == 0 || std::stoul(name) > 65535) Fail(name, "resource id out of range");
        return "MAKEINTRESOURCEA(" + name + ")";
    }
    if (name.empty() || name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_.-") !=
                            std::string::npos) {
        Fail(name, "resource names are letters, digits and '_', '-', '.' only");
    }
    return "\"" + name + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6 || (std::string(argv[1]) != "icon" && std::string(argv[1]) != "cursor")) {
        std::fprintf(stderr, "usage: %s icon|cursor <id-or-name> <first-image-id> <in> <out.cpp>\n", argv[0]);
        return 2;
    }
    const bool cursor = std::string(argv[1]) == "cursor";
    const std::string name = NameExpression(argv[2]);
    const unsigned long firstId = std::stoul(argv[3]);
    if (firstId == 0 || firstId + kMaxImages > 65536) Fail(argv[3], "first image id out of range");
    const std::vector<Image> images = ReadImages(argv[4], cursor, static_cast<unsigned>(firstId));

    std::vector<uint8_t> group;
    Put16(group, 0);
    Put16(group, cursor ? 2 : 1);
    Put16(group, static_cast<unsigned>(images.size()));
    for (const Image& image : images) group.insert(group.end(), image.entry.begin(), image.entry.end());

    const char* imageType = cursor ? "RT_CURSOR" : "RT_ICON";
    std::ostringstream out;
    out << "// Generated by trelwin-icon-resource from " << argv[4] << "\n"
        << "#include \"platform/resources/resource_registry.h\"\n"
        << "#include \"platform/resources/resource_types.h\"\n\n"
        << "namespace {\n\n";
    for (size_t i = 0; i < images.size(); ++i) {
        out << "alignas(4) const unsigned char kImage" << i << "[] = {" << Bytes(images[i].bytes) << "\n};\n"
            << "const trelwin::ResourceRegistration image" << i << "(" << imageType << ", MAKEINTRESOURCEA("
            << firstId + i << "), kImage" << i << ", sizeof(kImage" << i << "));\n\n";
    }
    out << "alignas(4) const unsigned char kGroup[] = {" << Bytes(group) << "\n};\n"
        << "const trelwin::ResourceRegistration group(" << (cursor ? "RT_GROUP_CURSOR" : "RT_GROUP_ICON") << ", "
        << name << ", kGroup, sizeof(kGroup));\n\n"
        << "}  // namespace\n";
    std::ofstream file(argv[5], std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file) Fail(argv[5], "cannot be written");
    return 0;
}

// Builds update packages for tests, the device stand-in, benchmarks and
// demos: an image container (header, sections with their CRC-32) and its
// encryption with the program's package key into the bytes of a *.zpk file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace package_maker
{

inline constexpr std::size_t kImageHeaderSize = 24;
inline constexpr std::size_t kSectionHeaderSize = 28;
inline constexpr char kTagCurrent[] = "Veltrano2";
inline constexpr char kTagOld[] = "Veltranox";

// One section: its header fields and body. The version is padded with zeros
// or cut to its 6 bytes.
struct Section
{
    uint32_t group = 0;
    uint32_t id = 0;
    uint8_t type = 0;
    std::string version;
    std::string body;
    // When set, written instead of the body's CRC-32 (to make a bad CRC).
    std::optional<uint32_t> crc;
    // When set, written instead of the body's length (to make a lying length).
    std::optional<uint32_t> bodyLength;
    // When set, written instead of the magic "nwdl".
    std::optional<std::array<char, 4>> magic;

    uint16_t Key() const { return static_cast<uint16_t>(((group & 0xFF) << 8) | type); }
};

// A section of a key (group * 256 + type).
Section MakeSection(uint16_t key, uint32_t id, const std::string& version, std::string body = {});

// The two sections that begin every package of a device type: 0xFEFD with an
// empty body, and 0xFEFE, whose first version byte is the device type.
std::vector<Section> MakeDeviceTypeSections(uint8_t deviceType);

// A whole container. The tag and the id field are padded with zeros or cut to
// 9 and 6 bytes.
struct Image
{
    std::string tag = kTagCurrent;
    std::string idField = "00.0.0";
    std::array<uint8_t, 5> reserved{};
    std::vector<Section> sections;
    // When set, written instead of the number of sections (to make a lying count).
    std::optional<int32_t> count;
};

// The IEEE 802.3 CRC-32 of the bytes.
uint32_t Crc32(const void* data, std::size_t size);

// The container's bytes.
std::string BuildImage(const Image& image);

// The bytes of a package file for the plain bytes: ciphertext and a 12-byte
// tag, with the program's key and initialisation vector.
std::string EncryptPackage(const std::string& plain);

// Writes the bytes to a file; false with a message in error on failure.
bool WriteFile(const std::string& path, const std::string& bytes, std::string& error);

} // namespace package_maker

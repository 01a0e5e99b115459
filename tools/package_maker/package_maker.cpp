#include "tools/package_maker/package_maker.h"

#include "app/package/package_key.h"

#include <cryptopp/aes.h>
#include <cryptopp/filters.h>
#include <cryptopp/gcm.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace package_maker
{

namespace
{

void AppendU32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The text in exactly size bytes: cut, or padded with zeros.
void AppendFixed(std::string& out, const std::string& text, std::size_t size)
{
    std::string field = text.substr(0, size);
    field.resize(size, '\0');
    out += field;
}

} // namespace

Section MakeSection(uint16_t key, uint32_t id, const std::string& version, std::string body)
{
    Section section;
    section.group = key >> 8;
    section.type = static_cast<uint8_t>(key & 0xFF);
    section.id = id;
    section.version = version;
    section.body = std::move(body);
    return section;
}

std::vector<Section> MakeDeviceTypeSections(uint8_t deviceType)
{
    std::string info(6, '\0');
    info[0] = static_cast<char>(deviceType);
    return {MakeSection(0xFEFD, 0, std::string(6, '\0')), MakeSection(0xFEFE, 0, info)};
}

uint32_t Crc32(const void* data, std::size_t size)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    const Bytef* bytes = static_cast<const Bytef*>(data);
    // zlib takes the length as a 32-bit count.
    while (size > 0)
    {
        const uInt chunk = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
        crc = crc32(crc, bytes, chunk);
        bytes += chunk;
        size -= chunk;
    }
    return static_cast<uint32_t>(crc);
}

std::string BuildImage(const Image& image)
{
    std::size_t total = kImageHeaderSize;
    for (const Section& section : image.sections)
        total += kSectionHeaderSize + section.body.size();
    std::string out;
    out.reserve(total);

    AppendFixed(out, image.tag, 9);
    AppendFixed(out, image.idField, 6);
    out.append(reinterpret_cast<const char*>(image.reserved.data()), image.reserved.size());
    AppendU32(out, static_cast<uint32_t>(image.count.value_or(static_cast<int32_t>(image.sections.size()))));

    for (const Section& section : image.sections)
    {
        if (section.magic)
            out.append(section.magic->data(), 4);
        else
            out += "nwdl";
        AppendU32(out, section.group);
        AppendU32(out, section.id);
        out.push_back(static_cast<char>(section.type));
        AppendFixed(out, section.version, 6);
        out.push_back('\0');
        AppendU32(out, section.bodyLength.value_or(static_cast<uint32_t>(section.body.size())));
        AppendU32(out, section.crc.value_or(Crc32(section.body.data(), section.body.size())));
        out += section.body;
    }
    return out;
}

std::string EncryptPackage(const std::string& plain)
{
    CryptoPP::GCM<CryptoPP::AES>::Encryption encryption;
    encryption.SetKeyWithIV(GetPackageKey(), PACKAGE_KEY_SIZE, GetPackageIv(), PACKAGE_IV_SIZE);
    std::string out;
    out.reserve(plain.size() + PACKAGE_TAG_SIZE);
    CryptoPP::StringSource source(
        plain, true,
        new CryptoPP::AuthenticatedEncryptionFilter(encryption, new CryptoPP::StringSink(out), false,
                                                    static_cast<int>(PACKAGE_TAG_SIZE)));
    return out;
}

bool WriteFile(const std::string& path, const std::string& bytes, std::string& error)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
    {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
    {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace package_maker

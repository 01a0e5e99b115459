// trelwin-pkg: writes an update package (*.zpk) from sections given on the
// command line.
#include "tools/package_maker/package_maker.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace
{

const char kUsage[] =
    "Usage: trelwin-pkg [options] -o FILE\n"
    "Writes an update package: an image container encrypted with the program's\n"
    "package key. Sections are written in the order of the options.\n"
    "\n"
    "  -o, --output FILE     the package to write\n"
    "  --plain               write the container without encryption\n"
    "  --tag TEXT            header tag, 9 characters (default Veltrano2)\n"
    "  --id TEXT             header id field, 6 characters (default 00.0.0)\n"
    "  --device-type N       add the sections 0xFEFD (empty body) and 0xFEFE\n"
    "                        holding the device type N (0..255)\n"
    "  --section SPEC        add a section; SPEC is KEY,ID,VERSION[,BODY]:\n"
    "                        KEY = group * 256 + type (e.g. 0x0A0D), ID a number,\n"
    "                        VERSION 6 characters (e.g. 02.5.6), BODY either\n"
    "                        @FILE (that file's bytes) or a byte count (a fixed\n"
    "                        pattern); no BODY gives an empty body\n"
    "  -h, --help            show this text\n";

bool ParseNumber(const std::string& text, unsigned long long max, unsigned long long& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 0);
    return errno == 0 && *end == '\0' && text[0] != '-' && value <= max;
}

std::string PatternBody(std::size_t size)
{
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>((i * 131 + (i >> 8)) & 0xFF);
    return body;
}

bool ParseSection(const std::string& text, package_maker::Section& section, std::string& error)
{
    std::vector<std::string> fields;
    std::stringstream stream(text);
    std::string field;
    while (std::getline(stream, field, ','))
        fields.push_back(field);
    if (fields.size() < 3 || fields.size() > 4)
    {
        error = "bad section \"" + text + "\": expected KEY,ID,VERSION[,BODY]";
        return false;
    }
    unsigned long long key = 0;
    unsigned long long id = 0;
    if (!ParseNumber(fields[0], 0xFFFF, key))
    {
        error = "bad section key \"" + fields[0] + "\"";
        return false;
    }
    if (!ParseNumber(fields[1], 0xFFFFFFFFull, id))
    {
        error = "bad section id \"" + fields[1] + "\"";
        return false;
    }
    std::string body;
    if (fields.size() == 4 && !fields[3].empty() && fields[3][0] == '@')
    {
        const std::string path = fields[3].substr(1);
        std::ifstream file(path, std::ios::binary);
        if (!file)
        {
            error = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        body.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    else if (fields.size() == 4)
    {
        unsigned long long size = 0;
        if (!ParseNumber(fields[3], 0xFFFFFFFFull, size))
        {
            error = "bad section body \"" + fields[3] + "\": expected @FILE or a byte count";
            return false;
        }
        body = PatternBody(static_cast<std::size_t>(size));
    }
    section = package_maker::MakeSection(static_cast<uint16_t>(key), static_cast<uint32_t>(id), fields[2],
                                         std::move(body));
    return true;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "trelwin-pkg: %s\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    package_maker::Image image;
    std::string output;
    bool plain = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-h" || arg == "--help")
        {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--plain")
        {
            plain = true;
            continue;
        }
        if (arg != "-o" && arg != "--output" && arg != "--tag" && arg != "--id" && arg != "--device-type" &&
            arg != "--section")
            return Fail("unknown option \"" + arg + "\" (see --help)");
        if (!hasValue)
            return Fail("option " + arg + " needs a value");
        const std::string value = argv[++i];
        if (arg == "-o" || arg == "--output")
            output = value;
        else if (arg == "--tag")
            image.tag = value;
        else if (arg == "--id")
            image.idField = value;
        else if (arg == "--device-type")
        {
            unsigned long long type = 0;
            if (!ParseNumber(value, 0xFF, type))
                return Fail("bad device type \"" + value + "\": expected 0..255");
            for (auto& section : package_maker::MakeDeviceTypeSections(static_cast<uint8_t>(type)))
                image.sections.push_back(std::move(section));
        }
        else
        {
            package_maker::Section section;
            std::string error;
            if (!ParseSection(value, section, error))
                return Fail(error);
            image.sections.push_back(std::move(section));
        }
    }
    if (output.empty())
        return Fail("no output file given (-o FILE; see --help)");

    const std::string container = package_maker::BuildImage(image);
    std::string error;
    if (!package_maker::WriteFile(output, plain ? container : package_maker::EncryptPackage(container), error))
        return Fail(error);
    return 0;
}

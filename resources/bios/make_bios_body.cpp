// Writes the stand-in body of a boot-loader image: a fixed count of
// pseudo-random bytes from a seed, the same on every build.
//   make_bios_body OUTPUT SIZE SEED
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: make_bios_body OUTPUT SIZE SEED\n");
        return 2;
    }
    const unsigned long size = std::strtoul(argv[2], nullptr, 0);
    uint64_t state = std::strtoull(argv[3], nullptr, 0) | 1;
    std::vector<unsigned char> body(size);
    for (unsigned char& byte : body)
    {
        // xorshift64*: enough to look like firmware to a compressor.
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        byte = static_cast<unsigned char>((state * 0x2545F4914F6CDD1DULL) >> 56);
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(body.data(), 1, body.size(), out) != body.size() || std::fclose(out) != 0)
    {
        std::fprintf(stderr, "make_bios_body: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

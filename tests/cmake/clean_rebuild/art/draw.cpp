// Writes plain.bin and, for each scale given, picture.bmp (100) or
// picture_<percent>.bmp: each file holds its own name, so that the program
// can tell the forms apart.
#include <cstdio>
#include <string>

namespace {

bool Write(const std::string& folder, const std::string& name) {
    std::FILE* file = std::fopen((folder + "/" + name).c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fputs(name.c_str(), file) >= 0;
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    bool ok = Write(argv[1], "plain.bin");
    for (int i = 2; i < argc; ++i) {
        const std::string percent = argv[i];
        ok = ok && Write(argv[1], percent == "100" ? "picture.bmp" : "picture_" + percent + ".bmp");
    }
    return ok ? 0 : 1;
}

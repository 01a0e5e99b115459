// Finds every embedded form and checks that each holds the file it was
// made from.
#include <cstdio>
#include <string>

#include "platform/resources/resource_registry.h"
#include "platform/resources/resource_types.h"

namespace {

bool Holds(const trelwin::ResourceEntry* entry, const std::string& text) {
    return entry && std::string(reinterpret_cast<const char*>(trelwin::ResourceData(entry)),
                                trelwin::ResourceSize(entry)) == text;
}

}  // namespace

int main() {
    bool ok = Holds(trelwin::LookupResource("Blob", MAKEINTRESOURCEA(1), nullptr), "plain.bin");
    for (int percent : {100, 125, 150, 175, 200, 250, 300}) {
        const std::string name = percent == 100 ? "picture.bmp" : "picture_" + std::to_string(percent) + ".bmp";
        if (!Holds(trelwin::LookupScaledResource(RT_BITMAP, MAKEINTRESOURCEA(300), percent, nullptr), name)) {
            std::printf("the picture for %d %% is missing\n", percent);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

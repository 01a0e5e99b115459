// Building a device's image from a package of 10,000 and 100,000 sections
// (empty bodies, so the walk is all there is): the one walk that the update
// takes for a forced or cross-generation image, against finding each
// section by its index and copying it by its key and id (a search from the
// start for each, as the update once did; at 10,000 sections only).
#include <benchmark/benchmark.h>

#include <string>

#include "app/package/image_container.h"
#include "platform/base/mem_file.h"
#include "tools/package_maker/package_maker.h"

namespace {

std::string Package(int sections) {
    package_maker::Image image;
    image.sections = package_maker::MakeDeviceTypeSections(23);
    for (int id = 0; id < sections; ++id)
        image.sections.push_back(package_maker::MakeSection(0x0100, static_cast<uint32_t>(id), "01.0.0"));
    return package_maker::BuildImage(image);
}

void BM_OneWalk(benchmark::State& state) {
    std::string bytes = Package(static_cast<int>(state.range(0)));
    CMemFile package(reinterpret_cast<BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    for (auto _ : state) {
        CMemFile image(1024);
        BeginImage(package, image);
        CopyImageSectionsIf(
            package, image, [](const _TImageSection& section) { return section.type != 13; },
            [] { return false; });
        if (GetImageSectionCount(image) != state.range(0) + 2) state.SkipWithError("sections lost");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SearchEachFromTheStart(benchmark::State& state) {
    std::string bytes = Package(static_cast<int>(state.range(0)));
    CMemFile package(reinterpret_cast<BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    for (auto _ : state) {
        CMemFile image(1024);
        BeginImage(package, image);
        WORD key = 0;
        DWORD id = 0;
        for (int n = 0; FindImageSection(package, key, id, n); ++n)
            CopyImageSections(package, image, key, static_cast<int>(id));
        if (GetImageSectionCount(image) != state.range(0) + 2) state.SkipWithError("sections lost");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_OneWalk)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchEachFromTheStart)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

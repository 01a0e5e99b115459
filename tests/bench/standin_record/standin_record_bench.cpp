// The stand-in's answer to "record" for an image of 10,000 and 100,000
// empty sections, loaded beforehand: the device takes the image's sections
// into its inventory before it answers, so that time must grow linearly
// with the sections, or the engine's packet time-out (5 s by default) runs
// out first.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/device_standin/standin_update.h"
#include "tools/package_maker/package_maker.h"
#include "tests/tools/device_standin/standin_requests.h"

namespace {

using namespace standin_command;

using standin_test::Request;
using standin_test::Send;

std::string Image(int sections) {
    package_maker::Image image;
    image.sections = package_maker::MakeDeviceTypeSections(23);
    for (int id = 0; id < sections; ++id)
        image.sections.push_back(package_maker::MakeSection(0x0100, static_cast<uint32_t>(id), "02.0.0"));
    return package_maker::BuildImage(image);
}

void BM_RecordAnswer(benchmark::State& state) {
    const std::string image = Image(static_cast<int>(state.range(0)));
    const std::vector<uint8_t> start = {0, 0, 0};
    for (auto _ : state) {
        state.PauseTiming();
        auto device = std::make_unique<CStandinDevice>(StandinDeviceProfile{});
        StandinUpdateProfile profile;
        profile.startReplyLength = 9;  // one acknowledgement per datagram
        profile.recordSteps = 0;
        profile.recordEnds = false;
        profile.sections = {{0x0100, 7, "01.0.0"}, {0x0200, 1, "01.0.0"}};
        auto updater = InstallStandinUpdate(*device, profile);
        Send(*device, Request(kReset));
        Send(*device, Request(kStartLoad, start));
        for (size_t at = 0; at < image.size(); at += 512)
            Send(*device, Request(kData, std::vector<uint8_t>(image.begin() + at,
                                                              image.begin() + std::min(at + 512, image.size()))));
        const std::vector<uint8_t> record = Request(kRecord, start);
        state.ResumeTiming();
        StandinReplies answer = Send(*device, record);
        state.PauseTiming();
        if (answer.size() != 1 || answer[0][8] != 0 ||
            updater->Sections().size() != static_cast<size_t>(state.range(0)) + 3)
            state.SkipWithError("not recorded");
        updater.reset();
        device.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_RecordAnswer)->ArgName("sections")->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

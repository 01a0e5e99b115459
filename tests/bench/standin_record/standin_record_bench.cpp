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

namespace {

using namespace standin_command;

StandinReplies Send(CStandinDevice& device, uint8_t command, const uint8_t* payload, size_t length) {
    std::vector<uint8_t> data(8 + length);
    std::memcpy(data.data(), "BRISEL", 6);
    data[7] = command;
    if (length) std::memcpy(data.data() + 8, payload, length);
    StandinRequest request;
    request.fromAddress = "127.0.0.1";
    request.fromPort = 1;
    request.data = data.data();
    request.length = static_cast<int>(data.size());
    StandinReplies replies;
    device.Handle(request, replies);
    return replies;
}

std::string Image(int sections) {
    package_maker::Image image;
    image.sections = package_maker::MakeDeviceTypeSections(23);
    for (int id = 0; id < sections; ++id)
        image.sections.push_back(package_maker::MakeSection(0x0100, static_cast<uint32_t>(id), "02.0.0"));
    return package_maker::BuildImage(image);
}

void BM_RecordAnswer(benchmark::State& state) {
    const std::string image = Image(static_cast<int>(state.range(0)));
    const uint8_t start[3] = {0, 0, 0};
    for (auto _ : state) {
        state.PauseTiming();
        auto device = std::make_unique<CStandinDevice>(StandinDeviceProfile{});
        StandinUpdateProfile profile;
        profile.startReplyLength = 9;  // one acknowledgement per datagram
        profile.recordSteps = 0;
        profile.recordEnds = false;
        profile.sections = {{0x0100, 7, "01.0.0"}, {0x0200, 1, "01.0.0"}};
        auto updater = InstallStandinUpdate(*device, profile);
        Send(*device, kReset, nullptr, 0);
        Send(*device, kStartLoad, start, sizeof start);
        for (size_t at = 0; at < image.size(); at += 512)
            Send(*device, kData, reinterpret_cast<const uint8_t*>(image.data()) + at, std::min<size_t>(512, image.size() - at));
        state.ResumeTiming();
        StandinReplies answer = Send(*device, kRecord, start, sizeof start);
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

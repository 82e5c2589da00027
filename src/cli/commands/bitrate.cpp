// corvane-cli bitrate: the bit rate the channel editor offers for a video
// standard, resolution id, quality level and frame rate.
#include "capacity/bitrate_table.h"
#include "command.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Arguments {
    std::string standard;
    int resolutionId = 0;
    int quality = 0;
    int frameRate = 0;
};

int RunBitrate(const Arguments& arguments) {
    const auto standard = capacity::ParseVideoStandard(arguments.standard);
    if (!standard) {
        return UsageError("bitrate", "--standard must be PAL or NTSC");
    }
    const int maxFrameRate = capacity::MaxFrameRate(*standard);
    if (arguments.frameRate > maxFrameRate) {
        return UsageError("bitrate", "--fps must be a frame rate from 1 to " + std::to_string(maxFrameRate) +
                                         " for " + std::string(capacity::VideoStandardName(*standard)));
    }
    const auto table = capacity::BuildWorkingTable(*standard, arguments.resolutionId);
    std::printf("%d Kb/s\n", table ? table->At(arguments.quality, arguments.frameRate) : 0);
    return 0;
}

const CliCommandRegistration kRegistration({
    "bitrate",
    "The bit rate (Kb/s) the channel editor offers for a video standard, resolution, quality and frame rate",
    [](CLI::App& command) -> std::function<int()> {
        auto arguments = std::make_shared<Arguments>();
        command.add_option("--standard", arguments->standard, "PAL or NTSC")
            ->required()
            ->type_name("PAL|NTSC");
        command.add_option("--resolution-id", arguments->resolutionId, "Resolution id")
            ->required()
            ->check(CLI::Range(0, capacity::kResolutionIds - 1));
        command.add_option("--quality", arguments->quality, "Quality level, 0 (lowest) to 5 (best)")
            ->required()
            ->check(CLI::Range(0, capacity::kQualityLevels - 1));
        command.add_option("--fps", arguments->frameRate, "Frame rate")
            ->required()
            ->check(CLI::PositiveNumber);
        return [arguments] { return RunBitrate(*arguments); };
    },
});

} // namespace

// corvane-cli bitrate: the bit rate the channel editor offers for a video
// standard, resolution id, quality level and frame rate.
#include "capacity/bitrate_table.h"
#include "command.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: corvane-cli bitrate --standard PAL|NTSC --resolution-id N --quality Q --fps F";

int Fail(const std::string& what) {
    std::fprintf(stderr, "corvane-cli bitrate: %s\n%s\n", what.c_str(), kUsage);
    return 2;
}

// A whole decimal number within [minimum, maximum], nothing else.
bool ParseNumber(const std::string& text, int minimum, int maximum, int& value) {
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && last == end && value >= minimum && value <= maximum;
}

int RunBitrate(const std::vector<std::string>& args) {
    std::map<std::string, std::string> options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name != "--standard" && name != "--resolution-id" && name != "--quality" && name != "--fps") {
            return Fail("unknown argument \"" + name + "\"");
        }
        if (i + 1 >= args.size()) {
            return Fail(name + " needs a value");
        }
        options[name] = args[++i];
    }
    for (const char* required : {"--standard", "--resolution-id", "--quality", "--fps"}) {
        if (options.count(required) == 0) {
            return Fail(std::string(required) + " is needed");
        }
    }
    const auto standard = capacity::ParseVideoStandard(options["--standard"]);
    if (!standard) {
        return Fail("--standard must be PAL or NTSC");
    }
    int id = 0;
    if (!ParseNumber(options["--resolution-id"], 0, capacity::kResolutionIds - 1, id)) {
        return Fail("--resolution-id must be a resolution id from 0 to 31");
    }
    int quality = 0;
    if (!ParseNumber(options["--quality"], 0, capacity::kQualityLevels - 1, quality)) {
        return Fail("--quality must be a quality level from 0 (lowest) to 5 (best)");
    }
    const int maxFrameRate = capacity::MaxFrameRate(*standard);
    int frameRate = 0;
    if (!ParseNumber(options["--fps"], 1, maxFrameRate, frameRate)) {
        return Fail("--fps must be a frame rate from 1 to " + std::to_string(maxFrameRate) + " for " +
                    std::string(capacity::VideoStandardName(*standard)));
    }
    const auto table = capacity::BuildWorkingTable(*standard, id);
    std::printf("%d Kb/s\n", table ? table->At(quality, frameRate) : 0);
    return 0;
}

const CliCommandRegistration kRegistration{
    CliCommand{"bitrate",
               "bitrate --standard PAL|NTSC --resolution-id N --quality Q --fps F\n"
               "                               bit rate offered for a channel (Kb/s)",
               RunBitrate}};

} // namespace

// corvane-cli capacity: the calculator page's two results for groups of
// channels: recording days for a disk size, or the disk size for a number of
// days. Prints the number the page shows.
#include "capacity/capacity_calc.h"
#include "command.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// The limits of the page's edit fields and of the channel editor.
constexpr int32_t kMaxDiskGb = 999999999;
constexpr int32_t kMaxHours = 24;
constexpr int32_t kMaxDays = 366;
constexpr int32_t kMaxChannels = 1024;

bool ParseNumber(std::string_view text, int32_t minimum, int32_t maximum, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && last == end && value >= minimum && value <= maximum;
}

bool ParseGroup(const std::string& text, capacity::ChannelLoad& group) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const std::string_view view = text;
    return ParseNumber(view.substr(0, colon), 1, kMaxChannels, group.channels) &&
           ParseNumber(view.substr(colon + 1), 0, INT32_MAX, group.bitRate);
}

struct Arguments {
    int32_t amount = 0;
    int32_t hours = 0;
    std::vector<std::string> groups;
};

int RunCapacity(const Arguments& arguments, bool daysWanted) {
    std::vector<capacity::ChannelLoad> groups;
    for (const std::string& text : arguments.groups) {
        capacity::ChannelLoad group;
        if (!ParseGroup(text, group)) {
            return UsageError("capacity",
                              "--group must be CHANNELS:KBPS, with 1 to 1024 channels and a bit rate "
                              "in Kb/s, not \"" +
                                  text + "\"");
        }
        groups.push_back(group);
    }
    const int32_t result = daysWanted ? capacity::RecordDaysForDisk(arguments.amount, arguments.hours, groups)
                                      : capacity::DiskGbForDays(arguments.amount, arguments.hours, groups);
    std::printf("%d\n", result);
    return 0;
}

// "capacity days" and "capacity disk": the same options but the amount.
std::function<int()> DefineCalculation(CLI::App& command, bool daysWanted,
                                       const std::shared_ptr<Arguments>& arguments) {
    if (daysWanted) {
        command.add_option("--disk-gb", arguments->amount, "Disk size in GB")
            ->required()
            ->check(CLI::Range(0, kMaxDiskGb));
    } else {
        command.add_option("--days", arguments->amount, "Days of recording")
            ->required()
            ->check(CLI::Range(0, kMaxDays));
    }
    command.add_option("--hours", arguments->hours, "Recording hours a day")
        ->required()
        ->check(CLI::Range(0, kMaxHours));
    command
        .add_option("--group", arguments->groups,
                    "CHANNELS:KBPS, channels recording at a bit rate; may be repeated")
        ->required()
        ->type_name("CHANNELS:KBPS");
    return [arguments, daysWanted] { return RunCapacity(*arguments, daysWanted); };
}

const CliCommandRegistration kRegistration({
    "capacity",
    "Recording days a disk holds (days), or the disk size for a number of days (disk)",
    [](CLI::App& command) -> std::function<int()> {
        auto arguments = std::make_shared<Arguments>();
        command.require_subcommand(1);
        CLI::App* days = command.add_subcommand("days", "Recording days a disk of D GB holds");
        CLI::App* disk = command.add_subcommand("disk", "Disk size in GB for T days of recording");
        auto runDays = DefineCalculation(*days, true, arguments);
        auto runDisk = DefineCalculation(*disk, false, arguments);
        return [days, runDays, runDisk] { return *days ? runDays() : runDisk(); };
    },
});

} // namespace

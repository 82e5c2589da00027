// corvane-cli capacity: the calculator page's two results for groups of
// channels: recording days for a disk size, or the disk size for a number of
// days. Prints the number the page shows.
#include "capacity/capacity_calc.h"
#include "command.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: corvane-cli capacity days --disk-gb D --hours H --group CHANNELS:KBPS "
                               "[--group ...]\n"
                               "       corvane-cli capacity disk --days T --hours H --group CHANNELS:KBPS "
                               "[--group ...]";

// The limits of the page's edit fields and of the channel editor.
constexpr int32_t kMaxDiskGb = 999999999;
constexpr int32_t kMaxHours = 24;
constexpr int32_t kMaxDays = 366;
constexpr int32_t kMaxChannels = 1024;

int Fail(const std::string& what) {
    std::fprintf(stderr, "corvane-cli capacity: %s\n%s\n", what.c_str(), kUsage);
    return 2;
}

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

int RunCapacity(const std::vector<std::string>& args) {
    if (args.empty() || (args[0] != "days" && args[0] != "disk")) {
        return Fail("say what to calculate: days or disk");
    }
    const bool daysWanted = args[0] == "days";
    const std::string amountOption = daysWanted ? "--disk-gb" : "--days";
    const int32_t amountMaximum = daysWanted ? kMaxDiskGb : kMaxDays;
    bool haveAmount = false;
    bool haveHours = false;
    int32_t amount = 0;
    int32_t hours = 0;
    std::vector<capacity::ChannelLoad> groups;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name != amountOption && name != "--hours" && name != "--group") {
            return Fail("unknown argument \"" + name + "\"");
        }
        if (i + 1 >= args.size()) {
            return Fail(name + " needs a value");
        }
        const std::string& value = args[++i];
        if (name == amountOption) {
            if (!ParseNumber(value, 0, amountMaximum, amount)) {
                return Fail(name + " must be a whole number from 0 to " + std::to_string(amountMaximum));
            }
            haveAmount = true;
        } else if (name == "--hours") {
            if (!ParseNumber(value, 0, kMaxHours, hours)) {
                return Fail("--hours must be a whole number from 0 to 24");
            }
            haveHours = true;
        } else {
            capacity::ChannelLoad group;
            if (!ParseGroup(value, group)) {
                return Fail(
                    "--group must be CHANNELS:KBPS, with 1 to 1024 channels and a bit rate in Kb/s, not \"" +
                    value + "\"");
            }
            groups.push_back(group);
        }
    }
    if (!haveAmount || !haveHours || groups.empty()) {
        return Fail(amountOption + ", --hours and at least one --group are needed");
    }
    const int32_t result = daysWanted ? capacity::RecordDaysForDisk(amount, hours, groups)
                                      : capacity::DiskGbForDays(amount, hours, groups);
    std::printf("%d\n", result);
    return 0;
}

const CliCommandRegistration kRegistration{
    CliCommand{"capacity",
               "capacity days --disk-gb D --hours H --group CHANNELS:KBPS [--group ...]\n"
               "                               recording days a disk of D GB holds\n"
               "  capacity disk --days T --hours H --group CHANNELS:KBPS [--group ...]\n"
               "                               disk size in GB for T days of recording",
               RunCapacity}};

} // namespace

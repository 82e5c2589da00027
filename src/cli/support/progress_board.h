#pragma once
// What a terminal shows under the result lines while an upgrade batch runs:
// one line per unfinished device with its bar, or, when those do not fit
// the terminal's height, one aggregate line ("upgrading 200 devices: 37
// done, 2 failed, 161 running"). No line is ever as wide as the terminal,
// so none wraps (a wrapped line would break the redraw in place).
#include <map>
#include <string>
#include <vector>

class ProgressBoard {
public:
    // verb: what the batch does ("upgrading"); ips: the batch's devices, in
    // the order their lines are shown.
    ProgressBoard(std::string verb, std::vector<std::string> ips);

    void SetPercent(const std::string& ip, int percent);
    void Finish(const std::string& ip, bool succeeded);

    // The lines for a terminal of width columns and height lines; empty when
    // every device has finished.
    std::vector<std::string> Render(int width, int height) const;

private:
    struct Device {
        int percent = 0;
        bool finished = false;
        bool succeeded = false;
    };
    std::string AggregateLine() const;
    static std::string DeviceLine(const std::string& ip, int percent);

    std::string m_verb;
    std::vector<std::string> m_order;
    std::map<std::string, Device> m_devices;
};

#include "config/config_values.h"

#include "util/tool.h"

#include <algorithm>

namespace config {

bool IsFlagOn(std::string_view value) {
    return value == "1";
}

std::vector<std::string> SplitList(std::string_view value) {
    std::vector<std::string> items;
    const auto addItem = [&items](std::string_view item) {
        // Cut long items without leaving half a character at the cut.
        std::size_t length = std::min(item.size(), kMaxListItemBytes);
        while (length > 0 && length < item.size() &&
               (static_cast<unsigned char>(item[length]) & 0xC0) == 0x80) {
            --length;
        }
        items.push_back(Tool::FromUtf8(item.substr(0, length)));
    };
    std::size_t start = 0;
    for (std::size_t bar = value.find('|'); bar != std::string_view::npos; bar = value.find('|', start)) {
        addItem(value.substr(start, bar - start));
        start = bar + 1;
    }
    if (start < value.size()) {
        addItem(value.substr(start));
    }
    return items;
}

} // namespace config

#include "discovery/customer_filter.h"

#include <iterator>

namespace {
constexpr std::string_view kUniversalCode = "C0000";
} // namespace

// The codes are compared as UTF-8 bytes: a substring of valid UTF-8 text is
// found exactly where it would be found in the wide form of both texts.
void ApplyCustomerFilter(DeviceTable& devices, std::string_view customerCodes) {
    if (customerCodes.find(kUniversalCode) != std::string_view::npos) {
        return;
    }
    for (auto it = devices.begin(); it != devices.end();) {
        const std::string& code = it->second.customerCode;
        if (code == kUniversalCode || customerCodes.find(code) != std::string_view::npos) {
            ++it;
        } else {
            it = devices.erase(it);
        }
    }
}

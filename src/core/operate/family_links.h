#pragma once
// The device links of the families the program knows, and which one works
// with a record: the first family added whose claim takes the record, else
// the native one.
#include "operate/device_link.h"

#include <functional>
#include <memory>
#include <vector>

class FamilyLinks {
public:
    using Claim = std::function<bool(const DeviceEntry& entry)>;

    explicit FamilyLinks(std::shared_ptr<DeviceLink> native);

    void Add(std::shared_ptr<DeviceLink> link, Claim claim);
    DeviceLink& LinkFor(const DeviceEntry& entry) const;
    DeviceLink& Native() const { return *m_native; }

private:
    struct Family {
        std::shared_ptr<DeviceLink> link;
        Claim claim;
    };
    std::shared_ptr<DeviceLink> m_native;
    std::vector<Family> m_others;
};

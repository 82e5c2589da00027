#include "operate/family_links.h"

FamilyLinks::FamilyLinks(std::shared_ptr<DeviceLink> native) : m_native(std::move(native)) {}

void FamilyLinks::Add(std::shared_ptr<DeviceLink> link, Claim claim) {
    m_others.push_back(Family{std::move(link), std::move(claim)});
}

DeviceLink& FamilyLinks::LinkFor(const DeviceEntry& entry) const {
    for (const Family& family : m_others) {
        if (family.claim(entry)) {
            return *family.link;
        }
    }
    return *m_native;
}

#include "onvif/family_link.h"

namespace onvif {

OnvifFamily AddFamilyLink(FamilyLinks& links, std::shared_ptr<SoapTransport> transport) {
    OnvifFamily family{std::make_shared<OnvifDiscovery>(transport), std::make_shared<OnvifLink>(transport)};
    links.Add(family.link, [](const DeviceEntry& entry) {
        return entry.families.Has(DeviceFamily::Onvif) && !entry.families.Has(DeviceFamily::Native);
    });
    return family;
}

} // namespace onvif

#pragma once
// The ONVIF family beside the native one, for every front end: its
// discovery source and its link, which works with the records only ONVIF
// found (a device the native family also found is worked with natively).
#include "onvif/onvif_discovery.h"
#include "onvif/onvif_link.h"
#include "operate/family_links.h"

#include <memory>

namespace onvif {

struct OnvifFamily {
    std::shared_ptr<OnvifDiscovery> discovery;
    std::shared_ptr<OnvifLink> link;
};

// Adds the family's link to links (with its claim) and gives the discovery
// source to search with; both share transport.
OnvifFamily AddFamilyLink(FamilyLinks& links, std::shared_ptr<SoapTransport> transport);

} // namespace onvif

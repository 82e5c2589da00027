#include "session/onvif_family.h"

#include "onvif/onvif_discovery.h"
#include "onvif/onvif_link.h"
#include "session/device_session.h"

void AddOnvifFamily(DeviceSession& session) {
    std::shared_ptr<onvif::SoapTransport> transport = onvif::CreateCurlTransport();
    session.AddDiscoverySource(std::make_shared<onvif::OnvifDiscovery>(transport));
    auto link = std::make_shared<onvif::OnvifLink>(transport);
    // A device the native family also found is worked with natively.
    session.Links().Add(link, [](const DeviceEntry& entry) {
        return entry.families.Has(DeviceFamily::Onvif) && !entry.families.Has(DeviceFamily::Native);
    });
    // The login read the device's information: the record shows it. The
    // session's signal comes on its own thread, where the table may change.
    QObject::connect(&session, &DeviceSession::LoginStateChanged, &session,
                     [&session, link](const QString& key, bool loggedIn) {
                         const std::string record = key.toStdString();
                         const std::optional<onvif::OnvifDeviceInfo> info = link->TakeInfo(record);
                         const auto found = session.Devices().find(record);
                         if (!loggedIn || !info || found == session.Devices().end()) {
                             return;
                         }
                         onvif::ApplyDeviceInfo(found->second, *info);
                         emit session.DevicesChanged({key});
                     });
}

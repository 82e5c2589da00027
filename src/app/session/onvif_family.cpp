#include "session/onvif_family.h"

#include "onvif/device_ops.h"
#include "onvif/family_link.h"
#include "onvif/wsd_listener.h"
#include "session/device_session.h"

#include <QCoreApplication>
#include <QPointer>
#include <memory>

namespace {

// Hears Hello and Bye for the session's life; a child of the session, so it
// stops (and joins its thread) when the session goes.
class AnnouncementListener : public QObject {
public:
    explicit AnnouncementListener(DeviceSession& session) : QObject(&session) {
        QPointer<DeviceSession> target(&session);
        // The listener's thread posts to the window's thread through the
        // application object; the session may be gone by then.
        const auto post = [target](auto work) {
            QMetaObject::invokeMethod(
                qApp,
                [target, work = std::move(work)] {
                    if (target != nullptr) {
                        work(*target);
                    }
                },
                Qt::QueuedConnection);
        };
        onvif::WsDiscoveryListener::Callbacks callbacks;
        callbacks.hello = [post](DeviceEntry entry) {
            post([entry = std::move(entry)](DeviceSession& owner) { owner.DeviceAnnounced(entry); });
        };
        callbacks.bye = [post](std::string key) {
            post([key = std::move(key)](DeviceSession& owner) { owner.DeviceLeft(key); });
        };
        m_listener = std::make_unique<onvif::WsDiscoveryListener>(std::move(callbacks));
        m_listener->Start();
    }

private:
    std::unique_ptr<onvif::WsDiscoveryListener> m_listener;
};

} // namespace

void AddOnvifFamily(DeviceSession& session) {
    const onvif::OnvifFamily family = onvif::AddFamilyLink(session.Links(), onvif::CreateCurlTransport());
    session.AddDiscoverySource(family.discovery);
    const std::shared_ptr<onvif::OnvifLink> link = family.link;
    // The login read the device's information: the record shows it. The
    // session's signal comes on its own thread, where the table may change.
    QObject::connect(&session, &DeviceSession::LoginStateChanged, &session,
                     [&session, link](const QString& key, bool loggedIn) {
                         const std::string record = key.toStdString();
                         const std::optional<onvif::OnvifDeviceInfo> info = link->TakeInfo(record);
                         if (!loggedIn || !info) {
                             return;
                         }
                         bool keyedByMac = true;
                         session.ChangeRecord(record, [&](DeviceEntry& entry) {
                             onvif::ApplyDeviceInfo(entry, *info);
                             entry.operations = onvif::LoginOperations(*info);
                             keyedByMac = !entry.mac.empty();
                         });
                         // Keyed by its MAC from now on, as the native family keys.
                         if (!keyedByMac) {
                             session.RekeyDevice(record, info->network.mac);
                         }
                     });
    new AnnouncementListener(session);
}

#include "session/device_session.h"

#include "sdk/sdk.h"
#include "session/search_controller.h"

DeviceSession::DeviceSession(QObject* parent) : QObject(parent), m_search(new SearchController(this)) {
    setObjectName("deviceSession");
}

DeviceSession::~DeviceSession() = default;

void DeviceSession::SetSearchOptions(DiscoveryEndpoints endpoints, SearchTiming timing,
                                     std::string customerCodes) {
    m_options.endpoints = endpoints;
    m_options.timing = timing;
    m_options.customerCodes = std::move(customerCodes);
}

bool DeviceSession::StartSearch() {
    if (m_searching) {
        return false;
    }
    m_searching = true;
    // The lists let go of their rows before the table they point into is emptied.
    emit SearchStarted();
    EndLoginsAndClear(m_devices, m_supplement, m_pendingLogouts, [](int32_t handle) { SDK_Logout(handle); });
    if (!m_search->Start(m_options, [this](SearchResult result) { OnSearchDone(std::move(result)); })) {
        // The engine refuses only while a search runs, which this flag rules
        // out; stay ready for the next request all the same.
        m_searching = false;
        emit SearchFinished(kSocketsReady);
        return false;
    }
    return true;
}

void DeviceSession::RequestSearch(bool quiet) {
    QMetaObject::invokeMethod(
        this, [this, quiet] { emit SearchRequested(quiet); }, Qt::QueuedConnection);
}

void DeviceSession::OnSearchDone(SearchResult result) {
    if (result.setUpResult != kSocketsReady) {
        result.devices.clear();
    }
    m_devices = std::move(result.devices);
    m_searching = false;
    emit SearchFinished(result.setUpResult);
}

void DeviceSession::ParkLoginAfterNetworkChange(DeviceEntry& entry) {
    if (entry.loggedIn != 0) {
        ParkLogin(entry, m_pendingLogouts);
    }
    emit NetworkChanged(QString::fromStdString(entry.mac));
}

void DeviceSession::NotifyPortsChanged() {
    emit PortsChanged();
}

void DeviceSession::NotifyLoginState(const QString& mac, bool loggedIn) {
    emit LoginStateChanged(mac, loggedIn);
}

void DeviceSession::SetOperationRunning(const QObject* owner, bool running) {
    if (running) {
        m_running.insert(owner);
    } else {
        m_running.remove(owner);
    }
}

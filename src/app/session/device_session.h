#pragma once
// DeviceSession: the one owner of the device table, the supplement table,
// the pending-logout list and the search. Pages and dialogs keep a reference
// to it, read the table after SearchFinished and connect to its signals;
// they never talk to each other or to the main window.
//
// Records in the table stay valid until the next search empties it; that
// happens only after SearchStarted, which every holder of a record pointer
// handles by letting go of it.
#include "discovery/device_entry.h"
#include "discovery/search_engine.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <string>

class SearchController;

class DeviceSession : public QObject {
    Q_OBJECT

public:
    explicit DeviceSession(QObject* parent = nullptr);
    ~DeviceSession() override;

    // What every search is started with (set before the first one).
    void SetSearchOptions(DiscoveryEndpoints endpoints, SearchTiming timing, std::string customerCodes);
    // Where the search and the network changes send (the same sockets).
    const DiscoveryEndpoints& Endpoints() const { return m_options.endpoints; }

    // The only way a search begins; false (nothing done) while one runs.
    // Emits SearchStarted, then logs out every open and parked login,
    // empties the tables and starts the search.
    bool StartSearch();
    // A page asks for a search; the main window answers (queued), because
    // it also restarts the periodic timer.
    void RequestSearch(bool quiet);

    DeviceTable& Devices() { return m_devices; }
    const DeviceTable& Devices() const { return m_devices; }
    int DeviceCount() const { return static_cast<int>(m_devices.size()); }
    bool IsSearching() const { return m_searching; }

    // A successful network change gives up the record's login: its handle
    // is logged out at the next search. Then NetworkChanged(mac).
    void ParkLoginAfterNetworkChange(DeviceEntry& entry);
    const PendingLogoutList& PendingLogouts() const { return m_pendingLogouts; }
    // A port batch ended: rows that show ports draw them again.
    void NotifyPortsChanged();
    // A batch logged a device in or out (the record already says so): rows
    // that show the login state draw it again.
    void NotifyLoginState(const QString& mac, bool loggedIn);

    // Device actions and batches say when they run, so that every other
    // action, the search and the exit can refuse with "info.Configuring_wait".
    void SetOperationRunning(const QObject* owner, bool running);
    bool IsOperationRunning() const { return !m_running.isEmpty(); }
    bool IsOperationRunning(const QObject* owner) const { return m_running.contains(owner); }

signals:
    // A search begins: let go of every record; the table is emptied next.
    void SearchStarted();
    // The search's result is in the table (empty when the sockets could not
    // be set up: setUpResult is then the failure of the socket set-up).
    void SearchFinished(int setUpResult);
    void SearchRequested(bool quiet);
    void NetworkChanged(const QString& mac);
    void PortsChanged();
    void LoginStateChanged(const QString& mac, bool loggedIn);

private:
    void OnSearchDone(SearchResult result);

    DeviceTable m_devices;
    SupplementTable m_supplement;
    PendingLogoutList m_pendingLogouts;
    SearchOptions m_options;
    SearchController* m_search;
    bool m_searching = false;
    QSet<const QObject*> m_running;
};

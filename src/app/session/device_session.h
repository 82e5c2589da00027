#pragma once
// DeviceSession: the one owner of the device table, the logins, the device
// families' links, the search and the leases on the records. Pages and dialogs keep a
// reference to it, read the table after SearchFinished and connect to its
// signals; they never talk to each other or to the main window.
//
// Records in the table stay valid until an explicit search empties it
// (after SearchStarted, which every holder of a record pointer handles by
// letting go of it) or until DevicesRemoving names them. A quiet search
// keeps the table: devices are added, changed in place, greyed when they
// miss one search and removed when they miss the next. During any search,
// devices enter the table as their replies come in (DevicesAdded).
#include "discovery/device_entry.h"
#include "discovery/discovery_source.h"
#include "discovery/search_engine.h"
#include "discovery/table_refresh.h"
#include "operate/operate_context.h"
#include "platform/clock.h"
#include "session/search_scheduler.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

class SearchController;

class DeviceSession : public QObject {
    Q_OBJECT

public:
    // sdk: the native family's calls (tests give fakes); clock: the one the
    // periodic search runs on (tests move their own). Both must outlive the
    // session.
    explicit DeviceSession(QObject* parent = nullptr, const SdkCalls& sdk = RealSdk(),
                           Clock& clock = SteadyClock());
    ~DeviceSession() override;

    // What every search is started with (set before the first one).
    // interfaceNames: the interfaces searches go out of; empty: every one.
    void SetSearchOptions(DiscoveryEndpoints endpoints, SearchTiming timing, std::string customerCodes,
                          std::vector<std::string> interfaceNames = {});
    // A device family's discovery: searched beside the native one from the
    // next search on.
    void AddDiscoverySource(std::shared_ptr<DiscoverySource> source);
    // Where the search and the network changes send (the same sockets).
    const DiscoveryEndpoints& Endpoints() const { return m_options.endpoints; }
    // What a search is started with: a batch that looks for moved devices
    // searches the same way.
    const SearchOptions& SearchSettings() const { return m_options; }

    // The one gate before a search: nullptr when a search may start now,
    // otherwise the language key of the refusal ("info.Searching_wait"
    // while one runs, "info.Configuring_wait" while a batch, a dialog or a
    // preview holds records). A search logs out every login and an explicit
    // one empties the table, so nothing may point into it meanwhile.
    const char* SearchRefusal() const;
    // The only way a search begins. Asks SearchRefusal first and starts
    // nothing when it refuses (the result then carries the refusal).
    // Logs out every open and parked login. An explicit search emits
    // SearchStarted and empties the tables; a quiet one emits
    // QuietSearchStarted and keeps them.
    SearchStart StartSearch(bool quiet = false);
    // Asks each address of the range directly ("add device by address"),
    // through the same gate and worker as a search, which it excludes while
    // it runs. What answers enters the table as a search's replies do;
    // nothing is greyed and no login ends. ProbeStarted, then
    // ProbeFinished with the number of devices that answered.
    SearchStart ProbeAddresses(const AddressRange& range);
    // Every button and timer asks here: the scheduler decides what the
    // request does to the periodic timer, then asks the gate.
    SearchStart RequestSearch(SearchTrigger trigger);
    // The periodic search: on or off, and its period.
    void SetPeriodicSearch(bool enabled, int periodMs);
    SearchScheduler& Scheduler() { return *m_scheduler; }

    DeviceTable& Devices() { return m_devices; }
    // The record under key, or under the MAC it moved to since (a login
    // read it); nullptr when there is none.
    DeviceEntry* FindRecord(const std::string& key);
    const DeviceTable& Devices() const { return m_devices; }
    int DeviceCount() const { return static_cast<int>(m_devices.size()); }
    bool IsSearching() const { return m_searching; }
    // The device did not answer the last quiet search (shown greyed).
    bool IsMissing(const std::string& mac) const { return m_refresh.IsMissing(mac); }

    // The logins of the table's devices: the only writer of login state.
    // Every change (from any thread) comes back as LoginStateChanged on the
    // session's thread.
    LoginTable& Logins() { return m_context.logins; }
    const LoginTable& Logins() const { return m_context.logins; }
    bool IsLoggedIn(const std::string& mac) const { return m_context.logins.IsLoggedIn(mac); }
    // The links of the device families; a family is added before the first
    // search.
    FamilyLinks& Links() { return m_context.links; }
    DeviceLink& LinkFor(const DeviceEntry& entry) { return m_context.links.LinkFor(entry); }
    // What the batch engine and the device actions work through.
    OperateContext& Context() { return m_context; }

    // Devices announcing themselves while the program runs (WS-Discovery
    // Hello and Bye), on the session's thread: a new device enters the
    // table, one that leaves is greyed as if it had missed a quiet search.
    void DeviceAnnounced(const DeviceEntry& entry);
    void DeviceLeft(const std::string& key);
    // Changes a record in place (what a login read of it) and tells the
    // pages; false when the key has no record (FindRecord's rule).
    bool ChangeRecord(const std::string& key, const std::function<void(DeviceEntry&)>& change);
    // A record learnt its MAC (an ONVIF device's login read it): it moves to
    // that key in place, with its login, row, selection and ticks, and
    // DevicesRekeyed tells the pages. False when the MAC is taken already.
    bool RekeyDevice(const std::string& oldKey, const std::string& mac);

    // A successful network change gives up the record's login: it is logged
    // out at the next search. Then NetworkChanged(mac).
    void ParkLoginAfterNetworkChange(const DeviceEntry& entry);
    // A port or time batch ended: rows draw their ports and times again.
    void NotifyRecordsChanged();

    // Whatever points into the table holds a lease while it does: a batch
    // (its engine, from its start until its last upgrade has ended), an
    // action of the device list, a preview. While one is held every other
    // action, the search and the exit refuse with "info.Configuring_wait".
    RecordLeases& Leases() { return m_context.leases; }
    std::unique_ptr<RecordLeases::Lease> HoldRecords() { return m_context.leases.Acquire(); }
    bool IsOperationRunning() const { return m_context.leases.InUse(); }

signals:
    // A search begins: let go of every record; the table is emptied next.
    void SearchStarted();
    // The search's result is in the table (empty when the sockets could not
    // be set up: setUpResult is then the failure of the socket set-up).
    void SearchFinished(int setUpResult);
    // A quiet search begins and ends; the table stays, the changes come as
    // DevicesAdded, DevicesChanged and DevicesRemoving.
    void QuietSearchStarted();
    void QuietSearchFinished(int setUpResult);
    // A probe by address begins and ends (found: the devices that answered).
    void ProbeStarted();
    void ProbeFinished(int found);
    // Records entered the table (during a search, as the replies come in).
    void DevicesAdded(const QStringList& macs);
    // Records changed in place (texts, addresses, login, greyed or not).
    void DevicesChanged(const QStringList& macs);
    // These records are erased right after: let go of them.
    void DevicesRemoving(const QStringList& macs);
    void NetworkChanged(const QString& mac);
    void RecordsChanged();
    void LoginStateChanged(const QString& mac, bool loggedIn);
    // A record's key changed (the record itself stayed where it was).
    void DeviceRekeyed(const QString& oldKey, const QString& newKey);

private:
    void OnSearchDone(SearchResult result);
    // Runs options on the worker; done gets the result on this thread.
    bool StartWorker(const SearchOptions& options, std::function<void(SearchResult)> done);
    void Announce(const TableChanges& changes);

    OperateContext m_context;
    DeviceTable m_devices;
    SearchOptions m_options;
    SearchController* m_search;
    SearchScheduler* m_scheduler;
    TableRefresh m_refresh{m_devices};
    bool m_searching = false;
    bool m_quiet = false;
};

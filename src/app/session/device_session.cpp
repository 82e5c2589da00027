#include "session/device_session.h"

#include "session/search_controller.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>

DeviceSession::DeviceSession(QObject* parent, const SdkCalls& sdk, Clock& clock)
    : QObject(parent), m_context(sdk), m_search(new SearchController(this)),
      m_scheduler(new SearchScheduler(
          this, [this](bool quiet) { return StartSearch(quiet); }, clock)) {
    setObjectName("deviceSession");
    m_context.logins.SetChanged([this](const std::string& key, bool loggedIn) {
        const QString mac = QString::fromStdString(key);
        if (QThread::currentThread() == thread()) {
            emit LoginStateChanged(mac, loggedIn);
        } else {
            QMetaObject::invokeMethod(
                this, [this, mac, loggedIn] { emit LoginStateChanged(mac, loggedIn); }, Qt::QueuedConnection);
        }
    });
}

DeviceSession::~DeviceSession() = default;

void DeviceSession::SetSearchOptions(DiscoveryEndpoints endpoints, SearchTiming timing,
                                     std::string customerCodes, std::vector<std::string> interfaceNames) {
    m_options.interfaceNames = std::move(interfaceNames);
    m_options.endpoints = endpoints;
    m_options.timing = timing;
    m_options.customerCodes = std::move(customerCodes);
}

void DeviceSession::AddDiscoverySource(std::shared_ptr<DiscoverySource> source) {
    if (m_options.sources.empty()) {
        m_options.sources.push_back(NativeDiscovery());
    }
    m_options.sources.push_back(std::move(source));
}

namespace {

QStringList MacList(const std::vector<std::string>& macs) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(macs.size()));
    for (const std::string& mac : macs) {
        list.push_back(QString::fromStdString(mac));
    }
    return list;
}

} // namespace

const char* DeviceSession::SearchRefusal() const {
    if (m_searching) {
        return "info.Searching_wait";
    }
    if (IsOperationRunning()) {
        return "info.Configuring_wait";
    }
    return nullptr;
}

SearchStart DeviceSession::StartSearch(bool quiet) {
    if (const char* refusal = SearchRefusal()) {
        return {refusal};
    }
    m_searching = true;
    m_quiet = quiet;
    if (quiet) {
        m_context.logins.EndAll();
        emit QuietSearchStarted();
    } else {
        // The lists let go of their rows before the table they point into is emptied.
        emit SearchStarted();
        m_context.logins.EndAll();
        m_devices.clear();
    }
    m_refresh.Begin(quiet);
    if (!StartWorker(m_options, [this](SearchResult result) { OnSearchDone(std::move(result)); })) {
        // The engine refuses only while a search runs, which this flag rules
        // out; stay ready for the next request all the same.
        m_searching = false;
        if (quiet) {
            emit QuietSearchFinished(kSocketsReady);
        } else {
            emit SearchFinished(kSocketsReady);
        }
        return {"info.Searching_wait"};
    }
    return {};
}

SearchStart DeviceSession::ProbeAddresses(const AddressRange& range) {
    if (const char* refusal = SearchRefusal()) {
        return {refusal};
    }
    SearchOptions options = m_options;
    options.addresses = range;
    m_searching = true;
    m_refresh.Begin(true);
    emit ProbeStarted();
    const bool started = StartWorker(options, [this, range](SearchResult result) {
        Announce(m_refresh.Probed(result.devices));
        // Searches ask this range again, so its devices stay in the list.
        if (!result.devices.empty() &&
            std::find(m_options.rememberedRanges.begin(), m_options.rememberedRanges.end(), range) ==
                m_options.rememberedRanges.end()) {
            m_options.rememberedRanges.push_back(range);
        }
        m_searching = false;
        emit ProbeFinished(static_cast<int>(result.devices.size()));
    });
    if (!started) {
        m_searching = false;
        emit ProbeFinished(0);
        return {"info.Searching_wait"};
    }
    return {};
}

bool DeviceSession::StartWorker(const SearchOptions& options, std::function<void(SearchResult)> done) {
    SearchController::Handlers handlers;
    handlers.found = [this](std::vector<DeviceEntry> found) { Announce(m_refresh.AddFound(found)); };
    handlers.texts = [this](std::vector<DeviceEntry> texts) { Announce(m_refresh.MergeFound(texts)); };
    handlers.done = std::move(done);
    return m_search->Start(options, std::move(handlers));
}

SearchStart DeviceSession::RequestSearch(SearchTrigger trigger) {
    return m_scheduler->Request(trigger);
}

void DeviceSession::SetPeriodicSearch(bool enabled, int periodMs) {
    m_scheduler->SetPeriod(enabled, periodMs);
}

void DeviceSession::OnSearchDone(SearchResult result) {
    // A quiet search whose native sockets failed learns nothing: the list
    // stays as it was. An explicit one ends with what the other families
    // found (the native search brings nothing when its sockets failed).
    if (result.setUpResult == kSocketsReady || !m_quiet) {
        Announce(m_refresh.Finish(result.devices));
    }
    m_searching = false;
    if (m_quiet) {
        emit QuietSearchFinished(result.setUpResult);
    } else {
        emit SearchFinished(result.setUpResult);
    }
}

void DeviceSession::Announce(const TableChanges& changes) {
    if (!changes.added.empty()) {
        emit DevicesAdded(MacList(changes.added));
    }
    if (!changes.changed.empty()) {
        emit DevicesChanged(MacList(changes.changed));
    }
    if (!changes.removing.empty()) {
        emit DevicesRemoving(MacList(changes.removing));
        m_refresh.EraseRecords(changes.removing);
    }
}

void DeviceSession::DeviceAnnounced(const DeviceEntry& entry) {
    Announce(m_refresh.AddFound({entry}));
}

void DeviceSession::DeviceLeft(const std::string& key) {
    Announce(m_refresh.Left(key));
}

DeviceEntry* DeviceSession::FindRecord(const std::string& key) {
    const auto found = m_devices.find(m_refresh.CurrentKey(key));
    return found == m_devices.end() ? nullptr : &found->second;
}

bool DeviceSession::ChangeRecord(const std::string& key, const std::function<void(DeviceEntry&)>& change) {
    DeviceEntry* record = FindRecord(key);
    if (record == nullptr) {
        return false;
    }
    change(*record);
    emit DevicesChanged({QString::fromStdString(DeviceKey(*record))});
    return true;
}

bool DeviceSession::RekeyDevice(const std::string& oldKey, const std::string& mac) {
    if (!m_refresh.Rekey(oldKey, mac)) {
        return false;
    }
    m_context.logins.Rekey(oldKey, mac);
    emit DeviceRekeyed(QString::fromStdString(oldKey), QString::fromStdString(mac));
    emit DevicesChanged({QString::fromStdString(mac)});
    return true;
}

void DeviceSession::ParkLoginAfterNetworkChange(const DeviceEntry& entry) {
    m_context.logins.Park(DeviceKey(entry));
    emit NetworkChanged(QString::fromStdString(DeviceKey(entry)));
}

void DeviceSession::NotifyRecordsChanged() {
    emit RecordsChanged();
}

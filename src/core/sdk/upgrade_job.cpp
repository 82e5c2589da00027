#include "sdk/upgrade_job.h"

#include "sdk/client_session.h"
#include "sdk/transfer_slots.h"
#include "sdk/wire_messages.h"

#include <algorithm>
#include <array>

namespace sdkclient {

using namespace sdkwire;

namespace {

// How often an upgrade waiting for its transfer slot says it is alive.
constexpr int kWaitingReportMs = 5000;

} // namespace

UpgradeJob::UpgradeJob(std::shared_ptr<ClientSession> session, std::shared_ptr<const Bytes> firmware,
                       SdkUpgradeCallback callback, void* context)
    : m_session(std::move(session)), m_firmware(std::move(firmware)), m_callback(callback),
      m_context(context) {}

UpgradeJob::~UpgradeJob() {
    if (m_thread.joinable()) {
        if (m_thread.get_id() == std::this_thread::get_id()) {
            m_thread.detach();
        } else {
            m_thread.join();
        }
    }
}

bool UpgradeJob::Start() {
    {
        std::lock_guard lock(m_mutex);
        if (m_started || m_closed) {
            return false;
        }
        m_started = true;
    }
    // Not under m_mutex: the listener runs under the session's callback
    // lock and takes m_mutex itself.
    std::weak_ptr<UpgradeJob> weak = weak_from_this();
    m_session->SetUpgradeListener([weak](int total, int value) {
        if (auto job = weak.lock()) {
            job->Report(total, value);
        }
    });
    std::lock_guard lock(m_mutex);
    if (!m_closed) {
        m_thread = std::thread([self = shared_from_this()] { self->Transfer(); });
    }
    return true;
}

void UpgradeJob::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    UpgradeTransferSlots().WakeAll(); // a transfer waiting for its turn gives up now
    // Waits for a progress call that is running on the session's reader.
    m_session->SetUpgradeListener(nullptr);
    std::thread transfer;
    {
        std::lock_guard lock(m_mutex);
        transfer.swap(m_thread);
    }
    if (transfer.joinable()) {
        if (transfer.get_id() == std::this_thread::get_id()) {
            transfer.detach(); // closed from its own callback: it ends right after
        } else {
            transfer.join();
        }
    }
}

void UpgradeJob::Report(int total, int value) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed || m_finished) {
            return;
        }
        if (total == 0 && value < 0) {
            m_finished = true;
        }
    }
    m_callback(0, 0, total, value, m_context);
}

bool UpgradeJob::Closed() {
    std::lock_guard lock(m_mutex);
    return m_closed;
}

void UpgradeJob::Transfer() {
    const int size = static_cast<int>(m_firmware->size());
    TransferSlots& slots = UpgradeTransferSlots();
    if (!slots.Acquire([this] { return Closed(); }, [this, size] { Report(size, 0); }, kWaitingReportMs)) {
        return; // closed while waiting
    }
    const bool sent = SendImage();
    m_session->ReleaseSendBuffer();
    slots.Release();
    if (!sent && !Closed()) {
        Report(0, -2);
    }
    // After a sent image the device reports through UPGRADE_PROGRESS events.
}

bool UpgradeJob::SendImage() {
    const Bytes& image = *m_firmware;
    const auto size = static_cast<uint32_t>(image.size());
    const auto succeeded = [](const std::optional<Reply>& reply) {
        return reply && reply->result == kResultDone;
    };
    ByteWriter begin;
    begin.U32(size);
    if (!succeeded(m_session->Call(kUpgradeBegin, begin.Data()))) {
        return false;
    }
    Report(static_cast<int>(size), 0);
    // A device of the windowed version takes several chunks before it has
    // answered the first; an older one gets the next chunk after the answer.
    const std::size_t window = UpgradeWindow(m_session->Agreed().version);
    const auto chunkSize = static_cast<uint32_t>(UpgradeChunk(m_session->Agreed().version));
    // The ids of the chunks in flight, oldest first, in a ring.
    std::array<uint32_t, kUpgradeWindow> inFlight{};
    std::size_t oldest = 0;
    std::size_t open = 0;
    const auto giveUp = [&] {
        for (; open > 0; --open, oldest = (oldest + 1) % inFlight.size()) {
            m_session->Drop(inFlight[oldest]);
        }
        return false;
    };
    uint32_t sent = 0;
    uint32_t confirmed = 0;
    while (confirmed < size) {
        if (Closed()) {
            return giveUp();
        }
        while (open < window && sent < size) {
            const uint32_t chunk = std::min<uint32_t>(size - sent, chunkSize);
            // Offset and blob length, then the chunk straight from the image.
            uint8_t fields[8];
            StoreU32(fields, sent);
            StoreU32(fields + 4, chunk);
            const std::span<const uint8_t> body[] = {fields, std::span(image.data() + sent, chunk)};
            const auto id = m_session->Post(kUpgradeData, body);
            if (!id) {
                return giveUp();
            }
            inFlight[(oldest + open) % inFlight.size()] = *id;
            ++open;
            sent += chunk;
        }
        const bool done = succeeded(m_session->Await(inFlight[oldest]));
        oldest = (oldest + 1) % inFlight.size();
        --open;
        if (!done) {
            return giveUp();
        }
        confirmed = std::min<uint32_t>(size, confirmed + chunkSize);
        Report(static_cast<int>(size), static_cast<int>(confirmed));
    }
    return succeeded(m_session->Call(kUpgradeEnd, {}));
}

} // namespace sdkclient

#include "operate/batch_runner.h"

BatchRunner::BatchRunner(QObject* parent, ILoginPrompt& prompt, OperateContext& context, int watchdogMs)
    : QObject(parent) {
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &BatchRunner::Flush);
    IBatchObserver& observer = *this;
    m_engine = std::make_unique<BatchEngine>(prompt, observer, context, watchdogMs);
}

BatchRunner::~BatchRunner() {
    // The engine joins its threads and closes running upgrades (and gives
    // up its lease) before the gathering it reports into goes.
    m_engine.reset();
}

bool BatchRunner::Start(BatchRequest request) {
    return m_engine->Start(std::move(request));
}

bool BatchRunner::Busy() const {
    return m_engine->Busy();
}

void BatchRunner::OnDeviceReport(const DeviceEntry& entry, const DeviceReport& report) {
    if (m_pending.Add(entry, report)) {
        // The first report since the last delivery schedules the next one.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_flushTimer.isActive()) {
                    m_flushTimer.start();
                }
            },
            Qt::QueuedConnection);
    }
}

void BatchRunner::OnRecordsChanged() {
    QMetaObject::invokeMethod(
        this, [this] { emit RecordsChanged(); }, Qt::QueuedConnection);
}

void BatchRunner::OnBatchEnded(BatchOperation operation, bool completed) {
    QMetaObject::invokeMethod(
        this,
        [this, operation, completed] {
            // Every device line comes before the end is told.
            Flush();
            emit BatchEnded(operation, completed);
        },
        Qt::QueuedConnection);
}

void BatchRunner::Flush() {
    m_flushTimer.stop();
    for (const ReportCoalescer::Pending& pending : m_pending.Take()) {
        emit DeviceReported(pending.entry, pending.report);
    }
}

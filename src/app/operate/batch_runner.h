#pragma once
// BatchRunner: the batch engine brought to the window thread. The engine
// reports from its worker and event threads; the runner gathers the reports
// (a device's progress reports replace each other) and delivers them on the
// window thread at most once per flush period, so 200 devices reporting
// every percent cost the window one pass over at most 200 items per period.
// Every signal is emitted on the thread the runner lives on.
#include "operate/batch_engine.h"
#include "operate/report_coalescer.h"

#include <QObject>
#include <QTimer>
#include <memory>

class BatchRunner : public QObject, private IBatchObserver {
    Q_OBJECT

public:
    static constexpr int kFlushMs = 40;

    // The engine works through context (the session's): it holds a lease
    // from a batch's start until its last upgrade has ended, and the logins
    // it makes are the session's.
    BatchRunner(QObject* parent, ILoginPrompt& prompt, OperateContext& context, int watchdogMs);
    ~BatchRunner() override;

    // false: a batch runs (or no device given); nothing started.
    bool Start(BatchRequest request);
    // A busy flag is set (FIND, ALL and the panels refuse).
    bool Busy() const;

signals:
    void DeviceReported(const DeviceEntry* entry, const DeviceReport& report);
    void RecordsChanged();
    // completed false: the batch login was cancelled.
    void BatchEnded(BatchOperation operation, bool completed);

private:
    void OnDeviceReport(const DeviceEntry& entry, const DeviceReport& report) override;
    void OnRecordsChanged() override;
    void OnBatchEnded(BatchOperation operation, bool completed) override;

    void Flush();

    ReportCoalescer m_pending;
    QTimer m_flushTimer;
    std::unique_ptr<BatchEngine> m_engine;
};

#pragma once
// CDlgOperate: the batch operation page. The user ticks devices in the
// check-box tree and runs one operation on all of them from one of the five
// panels; each device's result is written into its tree item and a message
// tells the end of the batch. Batches run on the engine's worker (the
// window never waits on a device); while one runs, the page registers with
// the device session so that the search, the exit and every other action
// refuse with "info.Configuring_wait" and the records stay alive.
#include "config/port_defaults.h"
#include "operate/batch_engine.h"
#include "operate/operate_panel.h"
#include "ui/page.h"

#include <QHash>
#include <array>
#include <string>

class BatchRunner;
class CMyTreeCtrl;
class CxSkinButton;
class DeviceSession;
class QLabel;
class QLineEdit;
#include <QStringList>
class QTreeWidgetItem;

struct OperatePageOptions {
    PortDefaults ports;     // the port panel's defaults ("DEFAULT_CFG")
    int watchdogMs = 30000; // period of the upgrade watchdog
};

enum class OperatePanel { Upgrade, Configuration, Password, Port, Reboot, Readdress };
constexpr int kOperatePanelCount = 6;

class CDlgOperate : public CPage, public IOperateHost {
    Q_OBJECT

public:
    CDlgOperate(QWidget* parent, DeviceSession& session, ILoginPrompt& prompt,
                OperatePageOptions options = {});
    ~CDlgOperate() override;

    void OnLanguageChanged() override;
    void OnRelayout() override;
    void OnSearchStart() override;
    void OnSearchEnd() override;

    bool AnyBusy() const override;
    bool AnyTicked() const override;
    void RunBatch(BatchRequest request) override;
    std::vector<DeviceEntry*> TickedDevices() const override;

    void ShowPanel(OperatePanel panel);
    OperatePanel CurrentPanel() const { return m_current; }
    COperatePanel* Panel(OperatePanel panel) const { return m_panels[static_cast<std::size_t>(panel)]; }
    CMyTreeCtrl* Tree() const { return m_tree; }
    bool ShowsAll() const { return m_showsAll; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Rebuild(const QString& filter);
    void OnFind();
    void OnAll();
    void OnItemChanged(QTreeWidgetItem* item);
    void OnNetworkChanged(const QString& mac);
    // The tree follows the session's records as they come, change and go
    // (a quiet search keeps the ticks of the devices still there).
    void OnDevicesAdded(const QStringList& macs);
    void OnDevicesChanged(const QStringList& macs);
    void OnDevicesRemoving(const QStringList& macs);
    void AddItem(DeviceEntry& entry, int at);
    void UpdateRootCheck();
    void TellPanelsTicked();
    void OnDeviceReported(const DeviceEntry* entry, const DeviceReport& report);
    void OnBatchEnded(BatchOperation operation, bool completed);
    QTreeWidgetItem* Root() const;

    DeviceSession& m_session;
    BatchRunner* m_runner;
    CMyTreeCtrl* m_tree;
    QLineEdit* m_filter;
    CxSkinButton* m_find;
    CxSkinButton* m_all;
    QLabel* m_title;
    std::array<CxSkinButton*, kOperatePanelCount> m_buttons{};
    std::array<COperatePanel*, kOperatePanelCount> m_panels{};
    OperatePanel m_current = OperatePanel::Upgrade;
    QHash<const DeviceEntry*, QTreeWidgetItem*> m_items;
    bool m_showsAll = true;
    std::string m_appliedFilter; // the IP filter the tree was built with
    bool m_settingChecks = false;
    Qt::CheckState m_rootState = Qt::Unchecked;
    int m_succeeded = 0; // devices of the last batch, for its completion message
    int m_failed = 0;
};

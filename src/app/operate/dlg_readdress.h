#pragma once
// CDlgReaddress: the re-addressing panel of the batch page. The user gives
// a first address or a range, mask, gateway and DNS (and whether only the
// unreachable and conflicting devices move); Plan shows one line per
// ticked device and every address passed over, Apply asks once, then
// changes the devices and writes each device's outcome in its line. The
// plan (with its ARP probe) and the batch run on workers; the records are
// held for the batch's time, so searches and other batches wait.
#include "operate/operate_panel.h"
#include "operate/readdress_run.h"

#include <array>
#include <memory>
#include <vector>

class DeviceSession;
class QCheckBox;
class QListWidget;

class CDlgReaddress : public COperatePanel {
    Q_OBJECT

public:
    CDlgReaddress(QWidget* parent, IOperateHost& host, DeviceSession& session, ILoginPrompt& prompt);
    ~CDlgReaddress() override;

    void OnLanguageChanged() override;
    // A plan is being made or applied.
    bool Working() const { return m_working; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnPlan();
    void OnApply();
    void ShowPlan(const ReaddressPlan& plan);
    void AddLine(const ReaddressLine& line);
    bool ReadRequest(ReaddressRequest& request);
    void SetWorking(bool working);

    DeviceSession& m_session;
    ILoginPrompt& m_prompt;
    std::array<QLabel*, 4> m_labels{};
    std::array<QLineEdit*, 4> m_edits{};
    QCheckBox* m_intoSubnet;
    CxSkinButton* m_plan;
    CxSkinButton* m_apply;
    QListWidget* m_lines;
    ReaddressPlan m_current; // the plan shown, applied as shown
    ReaddressRequest m_request;
    std::vector<DeviceEntry*> m_chosen;
    bool m_working = false;
    std::unique_ptr<RecordLeases::Lease> m_lease; // while the batch runs
};

#include "screenshots_operate.h"

#include "app/corvane_dlg.h"
#include "fake_family_link.h"
#include "operate/dlg_operate.h"
#include "session/device_session.h"
#include "text_overflow.h"
#include "ui/dlg_tip.h"
#include "ui/tree_ctrl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QThread>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

class AnsweringPrompt : public ILoginPrompt {
public:
    bool AskCredentials(const LoginPromptRequest&, std::string& user, std::string& password) override {
        user = "admin";
        password = "";
        return true;
    }
};

// An SDK whose upgrades stand still at a percent of their own, so the
// picture shows a batch in the middle of its run.
struct StillUpgrades {
    std::mutex mutex;
    std::vector<std::pair<SdkUpgradeCallback, void*>> started;
    SdkCalls calls;

    StillUpgrades() {
        calls.login = [](const char*, int, const char*, const char*, unsigned char*, int* error, int, int) {
            *error = 0;
            return 1;
        };
        calls.openUpgrade = [this](int, const char*, SdkUpgradeCallback callback, void* context, int) {
            std::lock_guard lock(mutex);
            started.emplace_back(callback, context);
            return static_cast<int>(started.size());
        };
        calls.startUpgrade = [](int) { return 1; };
        calls.closeUpgrade = [](int) { return 1; };
        calls.logout = [](int) { return 1; };
    }
};

void Pump(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
}

} // namespace

// The re-addressing panel with a plan for every device found: the range
// holds the DNS server, so the plan shows a skipped address.
void RenderReaddressPlan(CDlgOperate& page, CCorvaneDlg& window, const QString& out, const QString& suffix) {
    page.ShowPanel(OperatePanel::Readdress);
    QTreeWidgetItem* root = page.Tree()->topLevelItem(0);
    auto* panel = page.findChild<QWidget*>("readdressPanel");
    auto* plan = page.findChild<QAbstractButton*>("planButton");
    auto* lines = page.findChild<QListWidget*>("planList");
    if (root == nullptr || panel == nullptr || plan == nullptr || lines == nullptr) {
        return;
    }
    root->setCheckState(0, Qt::Checked);
    const std::pair<const char*, const char*> values[] = {{"rangeEdit", "10.77.64.1-10.77.64.60"},
                                                          {"readdressMaskEdit", "255.255.0.0"},
                                                          {"readdressGatewayEdit", "10.77.0.1"},
                                                          {"readdressDnsEdit", "10.77.64.2"}};
    for (const auto& [name, text] : values) {
        panel->findChild<QLineEdit*>(name)->setText(text);
    }
    plan->click();
    QElapsedTimer timer;
    timer.start();
    while (lines->count() == 0 && timer.elapsed() < 5000) {
        Pump(20);
    }
    window.grab().save(out + "/operate-readdress" + suffix + ".png");
    root->setCheckState(0, Qt::Unchecked);
}

void RenderOperatePage(CCorvaneDlg& window, const QString& out, const QString& suffix) {
    const std::pair<OperatePanel, const char*> panels[] = {{OperatePanel::Upgrade, "upgrade"},
                                                           {OperatePanel::Configuration, "configuration"},
                                                           {OperatePanel::Password, "password"},
                                                           {OperatePanel::Port, "port"},
                                                           {OperatePanel::Reboot, "reboot"}};
    window.ShowPage(kPageOperate);
    auto* page = window.findChild<CDlgOperate*>("operatePage");
    if (page == nullptr) {
        return;
    }
    for (const auto& [panel, name] : panels) {
        page->ShowPanel(panel);
        Pump(30);
        const QString picture = QStringLiteral("operate-") + name;
        window.grab().save(out + '/' + picture + suffix + ".png");
        // Listed for the reader; the layout's sizes are fixed, so nothing fails.
        for (const TextOverflow& overflow : FindTextOverflows(picture, page)) {
            std::printf("note %s%s %s \"%s\" needs %d px, has %d\n", qPrintable(picture), qPrintable(suffix),
                        qPrintable(overflow.control), qPrintable(overflow.text), overflow.needed,
                        overflow.available);
        }
    }

    RenderReaddressPlan(*page, window, out, suffix);

    // An upgrade in progress, on a page of its own over a copy of the
    // devices found (the window's own page keeps its records untouched).
    StillUpgrades sdk;
    DeviceSession session(nullptr, sdk.calls);
    session.Devices() = window.Session().Devices();
    AnsweringPrompt prompt;
    {
        CDlgOperate upgrading(nullptr, session, prompt);
        upgrading.setLayoutDirection(page->layoutDirection());
        upgrading.resize(page->size());
        upgrading.show();
        emit session.SearchFinished(0);
        Pump(30);
        QTreeWidgetItem* root = upgrading.Tree()->topLevelItem(0);
        for (int i = 0; i < root->childCount() && i < 9; ++i) {
            root->child(i)->setCheckState(0, Qt::Checked);
        }
        CDlgTip::Answerer answerer = [](const TipRequest&) { return int(kTipOk); };
        CDlgTip::SetAnswerer(answerer);
        BatchRequest request;
        request.operation = BatchOperation::Upgrade;
        request.path = "/firmware/IPC-LAB_V7.00.upf";
        upgrading.Panel(OperatePanel::Upgrade)
            ->findChild<QLineEdit*>("pathEdit")
            ->setText(QString::fromStdString(request.path));
        upgrading.RunBatch(request);
        Pump(300);
        {
            std::lock_guard lock(sdk.mutex);
            for (std::size_t i = 0; i < sdk.started.size(); ++i) {
                const int value = static_cast<int>((i * 37 + 11) % 100);
                sdk.started[i].first(0, 0, -1, value, sdk.started[i].second); // the writing half
            }
        }
        Pump(200);
        upgrading.grab().save(out + "/operate-upgrading" + suffix + ".png");
        // End every upgrade so the page lets its records go.
        {
            std::lock_guard lock(sdk.mutex);
            for (const auto& [callback, context] : sdk.started) {
                callback(0, 0, 0, -1, context);
            }
        }
        Pump(200);
        CDlgTip::SetAnswerer({});
    }

    // A clock batch over a mixed selection: devices whose family cannot set
    // the clock say so, the others (a stand-in family here) set it.
    {
        DeviceSession mixedSession(nullptr, sdk.calls);
        auto clocks = std::make_shared<FakeFamilyLink>();
        mixedSession.Links().Add(
            clocks, [](const DeviceEntry& entry) { return entry.operations.Has(DeviceOperation::Time); });
        mixedSession.Devices() = window.Session().Devices();
        CDlgOperate mixed(nullptr, mixedSession, prompt);
        mixed.setLayoutDirection(page->layoutDirection());
        mixed.resize(page->size());
        mixed.show();
        emit mixedSession.SearchFinished(0);
        Pump(30);
        mixed.Tree()->topLevelItem(0)->setCheckState(0, Qt::Checked); // every device
        mixed.ShowPanel(OperatePanel::Reboot);
        CDlgTip::SetAnswerer([](const TipRequest&) { return int(kTipOk); }); // the completion message
        BatchRequest request;
        request.operation = BatchOperation::SetTime;
        mixed.RunBatch(request);
        Pump(400);
        mixed.grab().save(out + "/operate-mixed-time" + suffix + ".png");
        mixed.ShowPanel(OperatePanel::Configuration); // the reset's choice for the devices that have it
        Pump(30);
        mixed.grab().save(out + "/operate-mixed-reset" + suffix + ".png");
        CDlgTip::SetAnswerer({});
    }
    window.ShowPage(kPageDevInfo);
}

#include "screenshots_popups.h"

#include "app/corvane_dlg.h"
#include "app/page_table.h"
#include "capacity/dlg_channel_editor.h"
#include "devlist/dlg_modify_network.h"
#include "lang/language_table.h"
#include "operate/dlg_login_local.h"
#include "devlist/dlg_modify_model.h"
#include "operate/dlg_operate.h"
#include "settings/dlg_setting.h"
#include "text_overflow.h"
#include "ui/dlg_help.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"

#include <QApplication>
#include <QLabel>
#include <cstdio>
#include <memory>

namespace {

QString Pack(int index) {
    return QString::fromStdString(LanguageTable[static_cast<std::size_t>(index)].File).section('.', 0, 0);
}

// A title that does not fit its label, as a fault line.
int CheckTitle(const QString& pack, const char* window, CPopupDialog& dialog) {
    dialog.show();
    QApplication::processEvents();
    QLabel* title = dialog.TitleLabel();
    const int needed = title->fontMetrics().horizontalAdvance(title->text());
    dialog.hide();
    if (needed <= title->width()) {
        return 0;
    }
    std::printf("FAIL %s %s title \"%s\" needs %d px, has %d\n", qPrintable(pack), window,
                qPrintable(title->text()), needed, title->width());
    return 1;
}

int CheckTitles(CCorvaneDlg& window, const QString& pack, const QString& out, bool save) {
    int faults = 0;
    CDlgTip tip(&window);
    tip.SetTip(LangText("msg.Exit"), LangText("msg.Msg"), true, true, kTipIconQuestion);
    tip.Prepare();
    faults += CheckTitle(pack, "message", tip);
    for (const char* key : {"msg.Login", "msg.Login_first"}) {
        CDlgLoginLocal login(&window);
        LoginPromptRequest request;
        request.captionKey = key;
        request.showAddress = std::string_view(key) == "msg.Login";
        login.SetRequest(request);
        faults += CheckTitle(pack, key, login);
        if (save && !request.showAddress) {
            login.show();
            QApplication::processEvents();
            login.grab().save(out + "/popup-titles-" + pack + ".png");
            login.hide();
        }
    }
    CDlgModifyNetworkNew network(&window);
    faults += CheckTitle(pack, "network", network);
    CDlgModifyModel model(&window);
    model.SetDevice("02-C7-00-00-00-01", "IPC-LAB");
    faults += CheckTitle(pack, "model", model);
    faults += CheckTitle(pack, "settings", *window.SettingWindow());
    CDlgChannelEditor editor(&window, window.Config().EncodePath);
    for (const bool modify : {false, true}) {
        editor.Open(modify);
        faults += CheckTitle(pack, modify ? "channel-modify" : "channel-add", editor);
    }
    CDlgHelp help(&window);
    help.Prepare();
    faults += CheckTitle(pack, "help", help);
    return faults;
}

// Every skin button of the batch page, on each of its panels.
int CheckOperateButtons(CCorvaneDlg& window, const QString& pack) {
    window.ShowPage(kPageOperate);
    auto* page = window.findChild<CDlgOperate*>("operatePage");
    if (page == nullptr) {
        std::printf("FAIL no batch page\n");
        return 1;
    }
    int faults = 0;
    for (const OperatePanel panel : {OperatePanel::Upgrade, OperatePanel::Configuration,
                                     OperatePanel::Password, OperatePanel::Port, OperatePanel::Reboot}) {
        page->ShowPanel(panel);
        QApplication::processEvents();
        for (const TextOverflow& overflow :
             FindTextOverflows(QStringLiteral("operate-%1").arg(static_cast<int>(panel)), page)) {
            if (overflow.kind != "skin button" || overflow.control.isEmpty()) {
                continue;
            }
            std::printf("FAIL %s %s %s button \"%s\" needs %d px, has %d\n", qPrintable(pack),
                        qPrintable(overflow.window), qPrintable(overflow.control), qPrintable(overflow.text),
                        overflow.needed, overflow.available);
            ++faults;
        }
    }
    page->ShowPanel(OperatePanel::Upgrade);
    window.ShowPage(kPageDevInfo);
    return faults;
}

} // namespace

int PopupAndButtonChecks(CCorvaneDlg& window, const QString& out) {
    int faults = 0;
    for (int index = 0; index < static_cast<int>(kLanguageCount); ++index) {
        window.OnLanguageMessage(index);
        QApplication::processEvents();
        const QString pack = Pack(index);
        const bool save = index == 8 || index == 20 || index == 25;
        const int languageFaults = CheckTitles(window, pack, out, save) + CheckOperateButtons(window, pack);
        std::printf("%s: %d pop-up title(s) or batch-page button(s) that do not fit\n", qPrintable(pack),
                    languageFaults);
        faults += languageFaults;
    }
    window.OnLanguageMessage(0);
    QApplication::processEvents();
    return faults;
}

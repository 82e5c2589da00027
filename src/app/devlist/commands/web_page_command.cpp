// The device's web page in the browser; a message with the address when no
// browser starts.
#include "devlist/device_actions.h"
#include "devlist/device_columns.h"
#include "devlist/device_commands.h"
#include "lang/tool_language.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/url_opener.h"
#include "util/tool.h"

#include <QUrl>

void RunOpenWeb(CDeviceActions& actions, int row, int) {
    CMyColorListCtrlEx* list = actions.List();
    if (row < 0 || row >= list->GetItemCount()) {
        return;
    }
    const QString url = QStringLiteral("http://%1:%2")
                            .arg(list->GetItemText(row, kColIp), list->GetItemText(row, kColHttpPort));
    if (!UrlOpener::Open(QUrl(url))) {
        const std::string text =
            Tool::FormatText(LangText("info.Open_web_fail").toStdString(), url.toStdString());
        ShowTipText(actions.Page(), QString::fromStdString(text), false, kTipIconInformation);
    }
}

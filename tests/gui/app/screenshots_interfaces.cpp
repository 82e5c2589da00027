#include "screenshots_interfaces.h"

#include "config/app_config.h"
#include "net/interfaces.h"
#include "settings/dlg_setting.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>

std::vector<TextOverflow> RenderInterfaceChoice(QWidget* mainWindow, AppConfig config, const QString& out,
                                                const QString& suffix) {
    config.SearchInterfaces.clear();
    const auto present = net::BroadcastInterfaces(net::LocalInterfaces());
    if (!present.empty()) {
        config.SearchInterfaces.push_back(present.front().name);
    }
    config.SearchInterfaces.push_back("enx00e04c6801ab");
    CDlgSetting setting(mainWindow, config);
    setting.SelectPage(kSettingSearch);
    setting.show();
    QApplication::processEvents();
    const QString path = out + "/settings-interfaces" + suffix + ".png";
    const bool saved = setting.grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "FAILED to write", qPrintable(path));
    std::vector<TextOverflow> found = FindTextOverflows("settings-interfaces", &setting);
    setting.hide();
    return found;
}

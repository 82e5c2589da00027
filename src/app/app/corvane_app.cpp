#include "app/corvane_app.h"

#include "app/corvane_dlg.h"
#include "config/app_config.h"
#include "config/config_location.h"
#include "ini/ini_file.h"
#include "lang/language.h"
#include "lang/tool_language.h"
#include "platform/instance_lock.h"
#include "ui/dlg_tip.h"

CCorvaneApp::CCorvaneApp(std::string programFolder) : m_programFolder(std::move(programFolder)) {}

CCorvaneApp::~CCorvaneApp() = default;

bool CCorvaneApp::AcquireSingleInstance() {
    // The name is read from the shipped file: a user's copy never changes it.
    m_appName = QString::fromStdString(
        ini::GetString(ShippedConfigPath(m_programFolder), "SETTING", "App_Name", "", 511));
    m_lock = std::make_unique<InstanceLock>("HV_TOOL");
    const InstanceLock::Result result = m_lock->Acquire();
    if (result == InstanceLock::Result::HeldElsewhere) {
        ShowPlatformMessage(QStringLiteral("%1 is running!").arg(m_appName), m_appName);
        return false;
    }
    if (result == InstanceLock::Result::Foreign) {
        // Someone else's lock file could let them hold this copy back or
        // watch it: refused, in the user's language.
        AppConfig config;
        LoadConfig(config, m_programFolder, {});
        Tool::LoadLanguage(config.LanguageIndex, m_programFolder);
        const std::string text =
            Tool::FormatText(CLanguage::GetInstance().GetText("info.lock_foreign"), m_lock->LockPath());
        ShowPlatformMessage(QString::fromStdString(text), m_appName);
        return false;
    }
    // A lock that cannot be made at all lets this copy run as the only one.
    return true;
}

bool CCorvaneApp::InitInstance() {
    if (!AcquireSingleInstance()) {
        return false;
    }
    // Common controls and sockets need no start-up on this platform.
    MainWindowOptions options;
    options.programFolder = m_programFolder;
    CCorvaneDlg mainWindow(options);
    mainWindow.OnInitDialog();
    mainWindow.exec();
    return false;
}

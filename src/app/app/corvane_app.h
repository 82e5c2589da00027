#pragma once
// CCorvaneApp: the program's start-up. One copy runs per user session: the
// single-instance lock "HV_TOOL" (whatever the configured name, so copies
// with different configurations still exclude each other); a second copy
// says "<name> is running!" and ends without a window. The first copy runs
// the main window modally and ends when it closes.
#include <QString>
#include <functional>
#include <memory>
#include <string>

class InstanceLock;

class CCorvaneApp {
public:
    explicit CCorvaneApp(std::string programFolder);
    ~CCorvaneApp();
    CCorvaneApp(const CCorvaneApp&) = delete;
    CCorvaneApp& operator=(const CCorvaneApp&) = delete;

    // The whole start-up; runs the main window until it closes. Always false:
    // the program ends when it returns.
    bool InitInstance();
    // Start-up steps 1 to 3: the application name and the lock. False after
    // telling the user that another copy runs.
    bool AcquireSingleInstance();
    const QString& AppName() const { return m_appName; }

private:
    std::string m_programFolder;
    QString m_appName;
    // Held until the process ends; the system releases it however the process ends.
    std::unique_ptr<InstanceLock> m_lock;
};

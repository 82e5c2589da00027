#pragma once
// CDlgSetAbout: the About page of the settings dialog: the program's name,
// version and release time from the configuration.
#include "settings/setting_page.h"

#include <QString>

class QLabel;

struct AboutTexts {
    QString appName;
    QString version;
    QString releaseText;
};

class CDlgSetAbout : public CSettingPage {
    Q_OBJECT

public:
    CDlgSetAbout(QWidget* parent, AboutTexts texts);

    void OnLanguageChanged() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    AboutTexts m_texts;
    bool m_filled = false;
    QLabel* m_name;
    QLabel* m_versionLabel;
    QLabel* m_version;
    QLabel* m_releaseLabel;
    QLabel* m_release;
};

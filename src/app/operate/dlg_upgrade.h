#pragma once
// CDlgUpgrade: the firmware upgrade panel of the batch page. It checks the
// chosen file, then that no batch runs, asks, and starts the upgrade of the
// ticked devices.
#include "operate/file_panel.h"

class CDlgUpgrade : public CFilePanel {
    Q_OBJECT

public:
    CDlgUpgrade(QWidget* parent, IOperateHost& host);

    void OnLanguageChanged() override;

private:
    void OnUpgrade();

    CxSkinButton* m_upgrade;
};

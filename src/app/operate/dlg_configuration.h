#pragma once
// CDlgConfiguration: the configuration panel of the batch page: imports a
// configuration file into the ticked devices, or restores their defaults.
#include "operate/file_panel.h"

class QFrame;

class CDlgConfiguration : public CFilePanel {
    Q_OBJECT

public:
    CDlgConfiguration(QWidget* parent, IOperateHost& host);

    void OnLanguageChanged() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnImport();
    void OnDefault();

    CxSkinButton* m_import;
    QFrame* m_separator;
    CxSkinButton* m_default;
};

#pragma once
// CDlgConfiguration: the configuration panel of the batch page: imports a
// configuration file into the ticked devices, or restores their defaults
// (with or without their network settings, where the devices can keep them).
#include "operate/file_panel.h"

class QCheckBox;
class QFrame;

class CDlgConfiguration : public CFilePanel {
    Q_OBJECT

public:
    CDlgConfiguration(QWidget* parent, IOperateHost& host);

    void OnLanguageChanged() override;
    void OnTickedOperations(OperationSet ticked) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnImport();
    void OnDefault();

    CxSkinButton* m_import;
    QFrame* m_separator;
    CxSkinButton* m_default;
    QCheckBox* m_keepNetwork; // shown when a ticked device can keep them
};

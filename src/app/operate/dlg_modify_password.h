#pragma once
// CDlgModifyPassword: the password panel of the batch page. Each edit holds
// only password characters (an illegal one is named and the edit emptied)
// and at most 64 of them; hiding the panel empties all three.
#include "operate/operate_panel.h"

#include <array>

class CDlgModifyPassword : public COperatePanel {
    Q_OBJECT

public:
    CDlgModifyPassword(QWidget* parent, IOperateHost& host);

    void OnLanguageChanged() override;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void OnEdited(QLineEdit& edit);
    void OnModify();

    std::array<QLabel*, 3> m_labels{};
    std::array<QLineEdit*, 3> m_edits{}; // old, new, confirmation
    CxSkinButton* m_modify;
};

#pragma once
// CDlgSetSearchParam: the periodic-search page of the settings dialog: on or
// off, and the period chosen from the configured list of minutes.
#include "settings/setting_page.h"

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class CDlgSetSearchParam : public CSettingPage {
    Q_OBJECT

public:
    CDlgSetSearchParam(QWidget* parent, bool enabled, int minutes, std::vector<int> periods);

    void OnLanguageChanged() override;
    bool EnabledChecked() const;
    // The selected period, 0 when none is selected.
    int SelectedPeriod() const;
    // The page's values, shown again at the next showing.
    void SetValues(bool enabled, int minutes);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateEnabledControls();

    bool m_enabled;
    int m_minutes;
    std::vector<int> m_periods;
    QLabel* m_caption;
    QCheckBox* m_check;
    QLabel* m_periodLabel;
    QComboBox* m_periodList;
    QLabel* m_minuteLabel;
    QLineEdit* m_freePeriod; // kept hidden: a free period is not offered
};

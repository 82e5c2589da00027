#pragma once
// CDlgSetSearchParam: the search page of the settings dialog: periodic
// search on or off, the period chosen from the configured list of minutes,
// and the network interfaces searches go out of.
#include "config/search_interfaces.h"
#include "settings/setting_page.h"

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

class CDlgSetSearchParam : public CSettingPage {
    Q_OBJECT

public:
    // interfaces: the chosen interface names; empty: every interface.
    CDlgSetSearchParam(QWidget* parent, bool enabled, int minutes, std::vector<int> periods,
                       std::vector<std::string> interfaces);

    void OnLanguageChanged() override;
    bool EnabledChecked() const;
    // The selected period, 0 when none is selected.
    int SelectedPeriod() const;
    // The page's values, shown again at the next showing.
    void SetValues(bool enabled, int minutes);
    // The ticked interfaces as the configuration keeps them (empty: every
    // interface).
    const std::vector<std::string>& ChosenInterfaces() const { return m_interfaces; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateEnabledControls();
    // The list from this PC's interfaces now and the ones chosen.
    void FillInterfaceList();
    void SetInterfaceTexts();
    // A tick changed: keeps the choice, and refuses to untick the last one.
    void OnInterfaceTicked(QListWidgetItem* item);

    bool m_enabled;
    int m_minutes;
    std::vector<int> m_periods;
    QLabel* m_caption;
    QCheckBox* m_check;
    QLabel* m_periodLabel;
    QComboBox* m_periodList;
    QLabel* m_minuteLabel;
    QLineEdit* m_freePeriod;                         // kept hidden: a free period is not offered
    std::vector<std::string> m_interfaces;           // the choice as left here; empty: every interface
    std::vector<SearchInterfaceRow> m_interfaceRows; // one per list item
    QLabel* m_interfaceCaption;
    QListWidget* m_interfaceList;
};

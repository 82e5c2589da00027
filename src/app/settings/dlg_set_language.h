#pragma once
// CDlgSetLanguage: the language page of the settings dialog, a drop-down
// list of the configured language entries.
#include "config/app_config.h"
#include "settings/setting_page.h"

#include <vector>

class QComboBox;
class QLabel;

// The row of the built-in language table whose pack file, up to its first
// ".", equals file without regard to case; 26 when there is none.
int LanguageIndexOfFile(const std::string& file);

class CDlgSetLanguage : public CSettingPage {
    Q_OBJECT

public:
    CDlgSetLanguage(QWidget* parent, int languageIndex, std::vector<LanguageChoice> choices);

    void OnLanguageChanged() override;
    // The index of the entry selected now, 0 when none is.
    int SelectedIndex() const;
    // The page's value, shown again at the next showing.
    void SetCurrentIndex(int index) { m_currentIndex = index; }
    int CurrentIndex() const { return m_currentIndex; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::vector<LanguageChoice> m_choices;
    int m_currentIndex;
    bool m_filled = false;
    QLabel* m_caption;
    QComboBox* m_list;
};

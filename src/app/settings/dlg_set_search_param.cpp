#include "settings/dlg_set_search_param.h"

#include "ui/edit_rules.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

CDlgSetSearchParam::CDlgSetSearchParam(QWidget* parent, bool enabled, int minutes, std::vector<int> periods)
    : CSettingPage(parent), m_enabled(enabled), m_minutes(minutes), m_periods(std::move(periods)),
      m_caption(MakeStatic("periodSearchLabel")), m_check(new QCheckBox(this)),
      m_periodLabel(MakeStatic("periodLabel")), m_periodList(new QComboBox(this)),
      m_minuteLabel(MakeStatic("minuteLabel")), m_freePeriod(new QLineEdit(this)) {
    setObjectName("searchParamPage");
    m_check->setObjectName("periodicCheck");
    m_periodList->setObjectName("periodList");
    m_freePeriod->setObjectName("freePeriodEdit");
    m_caption->setGeometry(40, 40, 200, 22);
    m_check->setGeometry(250, 40, 22, 22);
    m_periodLabel->setGeometry(40, 80, 120, 22);
    m_periodList->setGeometry(160, 78, 90, 26);
    m_minuteLabel->setGeometry(260, 80, 100, 22);
    m_freePeriod->setGeometry(160, 110, 90, 24);
    m_freePeriod->hide();
    connect(m_freePeriod, &QLineEdit::textEdited, this,
            [this] { Tool::ClampEditNumber(*m_freePeriod, 0, 120); });
    connect(m_freePeriod, &QLineEdit::editingFinished, this,
            [this] { Tool::ClampEditNumber(*m_freePeriod, 45, 120); });
    connect(m_check, &QCheckBox::clicked, this, [this] {
        m_enabled = m_check->isChecked();
        UpdateEnabledControls();
    });
    connect(m_periodList, &QComboBox::activated, this, [this] { m_minutes = SelectedPeriod(); });
    OnLanguageChanged();
}

void CDlgSetSearchParam::OnLanguageChanged() {
    m_caption->setText(LangText("tx.Period_Search"));
    m_periodLabel->setText(LangText("tx.Period"));
    m_minuteLabel->setText(LangText("tx.Minute"));
}

bool CDlgSetSearchParam::EnabledChecked() const {
    return m_check->isChecked();
}

int CDlgSetSearchParam::SelectedPeriod() const {
    return m_periodList->currentIndex() < 0 ? 0 : m_periodList->currentText().toInt();
}

void CDlgSetSearchParam::SetValues(bool enabled, int minutes) {
    m_enabled = enabled;
    m_minutes = minutes;
}

void CDlgSetSearchParam::showEvent(QShowEvent* event) {
    if (m_periods.empty()) {
        m_caption->setEnabled(false);
        m_check->setEnabled(false);
        m_check->setChecked(false);
    } else {
        m_check->setChecked(m_enabled);
        m_periodList->clear();
        for (int period : m_periods) {
            m_periodList->addItem(QString::number(period));
        }
        m_periodList->setCurrentIndex(m_periodList->findText(QString::number(m_minutes)));
    }
    UpdateEnabledControls();
    CSettingPage::showEvent(event);
}

void CDlgSetSearchParam::UpdateEnabledControls() {
    const bool on = m_check->isChecked();
    m_periodLabel->setEnabled(on);
    m_periodList->setEnabled(on);
    m_minuteLabel->setEnabled(on);
}

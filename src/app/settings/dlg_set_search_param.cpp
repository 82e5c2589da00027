#include "settings/dlg_set_search_param.h"

#include "ui/edit_rules.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Below the periodic-search controls, to the page's bottom edge.
constexpr QRect kInterfaceArea(40, 120, 340, 188);

} // namespace

CDlgSetSearchParam::CDlgSetSearchParam(QWidget* parent, bool enabled, int minutes, std::vector<int> periods,
                                       std::vector<std::string> interfaces)
    : CSettingPage(parent), m_enabled(enabled), m_minutes(minutes), m_periods(std::move(periods)),
      m_caption(MakeStatic("periodSearchLabel")), m_check(new QCheckBox(this)),
      m_periodLabel(MakeStatic("periodLabel")), m_periodList(new QComboBox(this)),
      m_minuteLabel(MakeStatic("minuteLabel")), m_freePeriod(new QLineEdit(this)),
      m_interfaces(std::move(interfaces)), m_interfaceCaption(MakeStatic("interfaceLabel")),
      m_interfaceList(new QListWidget(this)) {
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
    // Translated captions wrap and long names scroll: the list takes what
    // the caption leaves.
    m_interfaceList->setObjectName("interfaceList");
    m_interfaceCaption->setWordWrap(true);
    auto* interfaceArea = new QWidget(this);
    interfaceArea->setGeometry(kInterfaceArea);
    auto* column = new QVBoxLayout(interfaceArea);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_interfaceCaption);
    column->addWidget(m_interfaceList, 1);
    connect(m_interfaceList, &QListWidget::itemChanged, this, &CDlgSetSearchParam::OnInterfaceTicked);
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
    m_interfaceCaption->setText(LangText("tx.Search_interfaces"));
    m_interfaceList->setToolTip(LangText("tx.Search_interfaces_tip"));
    SetInterfaceTexts();
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
    FillInterfaceList();
    CSettingPage::showEvent(event);
}

void CDlgSetSearchParam::FillInterfaceList() {
    m_interfaceRows = SearchInterfaceRows(net::LocalInterfaces(), m_interfaces);
    const QSignalBlocker quiet(m_interfaceList);
    m_interfaceList->clear();
    for (const SearchInterfaceRow& row : m_interfaceRows) {
        auto* item = new QListWidgetItem(m_interfaceList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(row.chosen ? Qt::Checked : Qt::Unchecked);
        if (!row.present) {
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        }
    }
    SetInterfaceTexts();
}

void CDlgSetSearchParam::SetInterfaceTexts() {
    const QSignalBlocker quiet(m_interfaceList);
    for (int i = 0; i < m_interfaceList->count(); ++i) {
        const SearchInterfaceRow& row = m_interfaceRows[static_cast<std::size_t>(i)];
        const QString where =
            row.present ? QString::fromStdString(row.addresses) : LangText("tx.Interface_absent");
        m_interfaceList->item(i)->setText(QString::fromStdString(row.name) + "  " + where);
    }
}

void CDlgSetSearchParam::OnInterfaceTicked(QListWidgetItem* item) {
    const auto index = static_cast<std::size_t>(m_interfaceList->row(item));
    if (index >= m_interfaceRows.size()) {
        return;
    }
    const bool ticked = item->checkState() == Qt::Checked;
    const bool last =
        std::none_of(m_interfaceRows.begin(), m_interfaceRows.end(), [&](const SearchInterfaceRow& row) {
            return row.chosen && &row != &m_interfaceRows[index];
        });
    if (!ticked && last) {
        // Searching nowhere is no choice: the last tick stays.
        const QSignalBlocker quiet(m_interfaceList);
        item->setCheckState(Qt::Checked);
        return;
    }
    m_interfaceRows[index].chosen = ticked;
    m_interfaces = ChosenInterfaceNames(m_interfaceRows);
}

void CDlgSetSearchParam::UpdateEnabledControls() {
    const bool on = m_check->isChecked();
    m_periodLabel->setEnabled(on);
    m_periodList->setEnabled(on);
    m_minuteLabel->setEnabled(on);
}

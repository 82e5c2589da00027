#include "settings/dlg_set_language.h"

#include "lang/language_table.h"
#include "ui/lang_text.h"

#include <QComboBox>
#include <QLabel>

int LanguageIndexOfFile(const std::string& file) {
    const QString wanted = QString::fromStdString(file);
    for (const LangEntry& entry : LanguageTable) {
        const QString stem = QString::fromStdString(entry.File).section('.', 0, 0);
        if (stem.compare(wanted, Qt::CaseInsensitive) == 0) {
            return entry.Id;
        }
    }
    return static_cast<int>(kLanguageCount);
}

CDlgSetLanguage::CDlgSetLanguage(QWidget* parent, int languageIndex, std::vector<LanguageChoice> choices)
    : CSettingPage(parent), m_choices(std::move(choices)), m_currentIndex(languageIndex),
      m_caption(MakeStatic("switchLangLabel")), m_list(new QComboBox(this)) {
    setObjectName("languagePage");
    m_list->setObjectName("languageList");
    m_caption->setGeometry(40, 40, 300, 20);
    m_list->setGeometry(40, 66, 260, 26);
    connect(m_list, &QComboBox::activated, this, [this] { m_currentIndex = SelectedIndex(); });
    OnLanguageChanged();
}

void CDlgSetLanguage::OnLanguageChanged() {
    m_caption->setText(LangText("tx.SwitchLang"));
}

int CDlgSetLanguage::SelectedIndex() const {
    return m_list->currentIndex() < 0 ? 0 : m_list->currentData().toInt();
}

void CDlgSetLanguage::showEvent(QShowEvent* event) {
    if (!m_filled) {
        m_filled = true;
        for (const LanguageChoice& choice : m_choices) {
            m_list->addItem(QString::fromStdString(choice.Name), LanguageIndexOfFile(choice.File));
        }
    }
    m_list->setCurrentIndex(m_list->findData(m_currentIndex));
    CSettingPage::showEvent(event);
}

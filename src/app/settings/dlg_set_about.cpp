#include "settings/dlg_set_about.h"

#include "ui/lang_text.h"

#include <QLabel>

CDlgSetAbout::CDlgSetAbout(QWidget* parent, AboutTexts texts)
    : CSettingPage(parent), m_texts(std::move(texts)), m_name(MakeStatic("aboutName")),
      m_versionLabel(MakeStatic("aboutVersionLabel")), m_version(MakeStatic("aboutVersion")),
      m_releaseLabel(MakeStatic("aboutReleaseLabel")), m_release(MakeStatic("aboutRelease")) {
    setObjectName("aboutPage");
    m_name->setAlignment(Qt::AlignCenter);
    m_versionLabel->setGeometry(50, 120, 100, 20);
    m_version->setGeometry(150, 120, 200, 20);
    m_releaseLabel->setGeometry(50, 150, 100, 20);
    m_release->setGeometry(150, 150, 200, 20);
    OnLanguageChanged();
}

void CDlgSetAbout::OnLanguageChanged() {
    m_versionLabel->setText(LangText("ck.Version") + ":");
    m_releaseLabel->setText(LangText("ck.Release_time") + ":");
}

void CDlgSetAbout::showEvent(QShowEvent* event) {
    if (!m_filled) {
        m_filled = true;
        m_name->setText(m_texts.appName);
        m_version->setText(m_texts.version);
        m_release->setText(m_texts.releaseText);
    }
    CSettingPage::showEvent(event);
}

void CDlgSetAbout::resizeEvent(QResizeEvent* event) {
    CSettingPage::resizeEvent(event);
    m_name->setGeometry(50, 80, std::max(0, width() - 100), 20);
}

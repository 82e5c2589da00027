#include "operate/file_panel.h"

#include "operate/panel_rules.h"
#include "ui/file_dialog.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QLineEdit>

CFilePanel::CFilePanel(QWidget* parent, IOperateHost& host, QString filter)
    : COperatePanel(parent, host), m_filter(std::move(filter)) {
    using namespace panel_grid;
    m_label = MakeLabel("fileLabel", kLabelX, 10);
    m_path = MakeEdit("pathEdit", 130, 10, 180);
    m_path->setReadOnly(true);
    m_browse = MakeButton("browseButton", 320, 10);
    m_browse->resize(28, kRowHeight);
    m_browse->SetCaption("...");
    connect(m_path, &QLineEdit::textChanged, this,
            [this](const QString& text) { ApplyRule(*m_path, Tool::LimitEditUtf8(text.toStdString())); });
    connect(m_browse, &CxSkinButton::clicked, this, &CFilePanel::Browse);
}

std::string CFilePanel::Path() const {
    return Tool::ToAnsi(m_path->text().toStdString());
}

void CFilePanel::Browse() {
    FileDialogRequest request;
    request.folder = QString::fromStdString(panel_rules::BrowseStartFolder(m_path->text().toStdString()));
    request.filter = m_filter;
    const QString chosen = FileDialog::Ask(this, request);
    if (!chosen.isEmpty()) {
        m_path->setText(chosen);
    }
}

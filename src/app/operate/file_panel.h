#pragma once
// The first row of the upgrade and configuration panels: a label, the
// read-only path of the chosen file and its browse button. The path keeps
// the edit rule of path fields (no trailing blanks, at most 256 bytes).
#include "operate/operate_panel.h"

#include <string>

class CFilePanel : public COperatePanel {
    Q_OBJECT

public:
    // filter: the file dialog's types, in Qt's ";;" form.
    CFilePanel(QWidget* parent, IOperateHost& host, QString filter);

    std::string Path() const;
    QLineEdit* PathEdit() const { return m_path; }

protected:
    QLabel* m_label;
    QLineEdit* m_path;
    CxSkinButton* m_browse;

private:
    void Browse();

    QString m_filter;
};

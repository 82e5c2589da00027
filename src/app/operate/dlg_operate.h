#pragma once
// CDlgOperate: the batch operation page. For now it is an empty page in its
// place in the navigation: it shows its title and nothing else, runs no
// batch, and so is never busy. The batch engine, the device tree and the
// operation panels come with their own change.
#include "ui/page.h"

class QLabel;

class CDlgOperate : public CPage {
    Q_OBJECT

public:
    explicit CDlgOperate(QWidget* parent);

    void OnLanguageChanged() override;
    void OnRelayout() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_title;
};

#pragma once
// CDlgCapacityCalculator: the capacity calculator page. For now it is an
// empty page in its place in the navigation: it shows its title and nothing
// else. The channel list, the editor and the results come with their own
// change.
#include "ui/page.h"

class QLabel;

class CDlgCapacityCalculator : public CPage {
    Q_OBJECT

public:
    explicit CDlgCapacityCalculator(QWidget* parent);

    void OnLanguageChanged() override;
    void OnRelayout() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_title;
};

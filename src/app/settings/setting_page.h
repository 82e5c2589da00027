#pragma once
// A page of the settings dialog: a white child window in the dialog's page
// area that sets its labels again on a language refresh.
#include <QWidget>

class QLabel;

class CSettingPage : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    virtual void OnLanguageChanged() = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A static on the white page: plain text, black.
    QLabel* MakeStatic(const char* name);
};

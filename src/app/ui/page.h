#pragma once
// A page of the main window: a child window that is created once and then
// only shown or hidden. A language switch reaches it as Qt's LanguageChange
// event; the search's start and end come from the device session.
#include <QWidget>

class CPage : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    // The language changed: set every text again.
    virtual void OnLanguageChanged() = 0;
    // The window size changed: lay the page out again.
    virtual void OnRelayout() = 0;
    // A search started: the device table is being emptied, clear the lists.
    virtual void OnSearchStart() {}
    // A search ended: the lists show the device table (they follow it as
    // devices are added, changed and removed).
    virtual void OnSearchEnd() {}

protected:
    // The page on screen rebuilds at once, a hidden one after it (queued).
    void RebuildAfterSearch();
    void changeEvent(QEvent* event) override;
    // Showing or a language switch keeps every label on its side (text_sides.h).
    bool event(QEvent* event) override;
};

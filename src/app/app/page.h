#pragma once
// A page of the main window: a child window that is created once and then
// only shown or hidden. The main window tells its pages what happened
// through these calls, direct where the event is "sent" (the visible page
// rebuilding at the end of a search) and queued where it is "posted".
#include <QWidget>

class CPage : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    // The language changed: set every text again, and forward to child dialogs.
    virtual void OnLanguageChanged() = 0;
    // The window size changed: lay the page out again.
    virtual void OnRelayout() = 0;
    // A search started: the device table is being emptied, clear the lists.
    virtual void OnSearchStart() {}
    // A search ended: rebuild the lists from the device table.
    virtual void OnSearchEnd() {}
};

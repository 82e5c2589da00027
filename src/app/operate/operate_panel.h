#pragma once
// The common ground of the batch page's five operation panels: the page
// they ask (busy, anything ticked, run this batch), their labels, edits and
// skinned buttons, the shared message boxes, and the language switch.
#include "operate/batch_engine.h"
#include "util/tool.h"

#include <QWidget>
#include <string_view>

class CxSkinButton;
class QLabel;
class QLineEdit;

// What a panel needs of the page.
class IOperateHost {
public:
    virtual ~IOperateHost() = default;
    virtual bool AnyBusy() const = 0;
    virtual bool AnyTicked() const = 0;
    // The page adds the ticked devices, or says "msg.Sel_dev_first".
    virtual void RunBatch(BatchRequest request) = 0;
    // The ticked records, in tree order.
    virtual std::vector<DeviceEntry*> TickedDevices() const = 0;
};

class COperatePanel : public QWidget {
    Q_OBJECT

public:
    COperatePanel(QWidget* parent, IOperateHost& host);

    virtual void OnLanguageChanged() = 0;
    // What the ticked devices offer together (empty: nothing ticked); a
    // panel hides the choices none of them has.
    virtual void OnTickedOperations(OperationSet ticked) { (void)ticked; }

protected:
    void changeEvent(QEvent* event) override;

    QLabel* MakeLabel(const char* name, int x, int y);
    QLineEdit* MakeEdit(const char* name, int x, int y, int width);
    CxSkinButton* MakeButton(const char* name, int x, int y);
    static void SetCaption(CxSkinButton* button, std::string_view key);

    // True (and "info.Configuring_wait" shown) while a batch runs.
    bool RefusedWhileBusy();
    // The question with OK and Cancel: true for OK.
    bool Confirmed(std::string_view key);
    // Puts an edit rule's text into the field, caret at the end.
    static void ApplyRule(QLineEdit& field, const Tool::EditFieldResult& result);

    IOperateHost& m_host;
};

// The grid of the panels: labels at x 10, edits at x 120, rows 38 apart.
namespace panel_grid {
inline constexpr int kLabelX = 10;
inline constexpr int kLabelWidth = 104; // a gap before the edit, whichever side the text is on
inline constexpr int kEditX = 120;
inline constexpr int kEditWidth = 180;
inline constexpr int kRowHeight = 28;
inline constexpr int kButtonWidth = 110;
} // namespace panel_grid

#pragma once
// Finds texts that do not fit the controls showing them: labels, check
// boxes, buttons, list header sections and settings-tree captions. The width
// a text needs is measured with the control's own font, plus the room the
// control's style takes for margins, indicators and icons; the room it has
// is the control's width less those. Only controls visible in the window are
// measured.
#include <QString>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class QHeaderView;
class QLabel;
class QWidget;

struct TextOverflow {
    QString window;  // the screenshot it shows in, e.g. "settings-columns"
    QString control; // object path of the control, unique within the window
    QString kind;    // "label", "check box", "skin button", "button", "header", "tree item"
    QString text;
    int needed = 0;    // pixels the text and its control's decorations take
    int available = 0; // pixels the control has
};

// Every overflow among the visible controls under root.
std::vector<TextOverflow> FindTextOverflows(const QString& window, QWidget* root);

// The hidden sections of a horizontal header, each measured against the
// width widthOf(logical index) it would have when shown.
std::vector<TextOverflow> FindHiddenSectionOverflows(const QString& window, QWidget* root,
                                                     QHeaderView* header,
                                                     const std::function<int(int)>& widthOf);

// Labels drawn away from the control they label. A label's partner is the
// nearest visible sibling just right of it on its row, or just below it
// starting at its left edge. The text's ink is found in the label as Qt
// paints it; the gap from the ink to the partner may be no larger than the
// label's written alignment gives (left-aligned text leaves the box's
// spare width, right-aligned none), so a text that swapped sides, as a
// right-to-left text does in a label whose side is not absolute, is found.
// kind "adjacency"; needed: the gap in pixels, available: the gap allowed.
std::vector<TextOverflow> FindDetachedLabels(const QString& window, QWidget* root);

// The first and last columns of label its text paints as Qt draws it, in
// label coordinates ({-1, -1}: none). The background is left out.
std::pair<int, int> InkColumns(QLabel* label);

// Key of a shown text in one language pack, to name the text to shorten.
class PackKeyIndex {
public:
    explicit PackKeyIndex(const std::string& packPath);
    // The pack's keys whose text is text, joined by "|"; empty when none is.
    QString KeyOf(const QString& text) const;

private:
    std::map<QString, QString> m_keyOfText;
};

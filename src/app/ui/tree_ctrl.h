#pragma once
// CMyTreeCtrl: the tree of the settings dialog and of the device trees of
// the batch pages. It draws like the standard tree; items may carry check
// boxes.
#include <QTreeWidget>

class CMyTreeCtrl : public QTreeWidget {
    Q_OBJECT

public:
    explicit CMyTreeCtrl(QWidget* parent = nullptr);
};

namespace Tool {

// Counts the checked direct children of the tree's first root item. True
// when at least one is checked; false also when the tree has no root or the
// root has no child.
bool CountCheckedChildren(const QTreeWidget& tree, int& count);

} // namespace Tool

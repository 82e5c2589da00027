#include "ui/tree_ctrl.h"

CMyTreeCtrl::CMyTreeCtrl(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
}

namespace Tool {

bool CountCheckedChildren(const QTreeWidget& tree, int& count) {
    count = 0;
    const QTreeWidgetItem* root = tree.topLevelItem(0);
    if (root == nullptr) {
        return false;
    }
    for (int i = 0; i < root->childCount(); ++i) {
        if (root->child(i)->checkState(0) == Qt::Checked) {
            ++count;
        }
    }
    return count >= 1;
}

} // namespace Tool

#include "settings/dlg_setting.h"

#include "lang/language_table.h"
#include "settings/dlg_set_about.h"
#include "settings/dlg_set_dev_info.h"
#include "settings/dlg_set_language.h"
#include "settings/dlg_set_search_param.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_bitmaps.h"
#include "ui/skin_button.h"
#include "ui/tree_ctrl.h"

#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kWidth = 580;
constexpr int kHeight = 420;
constexpr int kBand = 50;
constexpr int kTreeTop = 70;
constexpr int kTreeWidth = 180;

struct TreeEntry {
    const char* key;
    int iconId;
    int kind;
};

constexpr TreeEntry kTreeEntries[] = {
    {"tx.Set_lang", 154, kSettingLanguage},
    {"tx.Set_search_param", 224, kSettingSearch},
    {"tx.Set_devinfo_option", 153, kSettingColumns},
    {"tx.About", 217, kSettingAbout},
};

// Tree items 5 pixels taller than the default.
class TallerItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(0, 5);
    }
};

} // namespace

CDlgSetting::CDlgSetting(QWidget* mainWindow, const AppConfig& config)
    : CPopupDialog(mainWindow, kBand), m_appliedLanguage(config.LanguageIndex),
      m_appliedColumns(config.DevInfoMask), m_appliedSearchEnabled(config.PeriodicSearch),
      m_appliedSearchMinutes(config.SearchPeriodMinutes), m_appliedInterfaces(config.SearchInterfaces),
      m_icon(new QLabel(this)), m_tree(new CMyTreeCtrl(this)), m_ok(new CxSkinButton(this)),
      m_cancel(new CxSkinButton(this)) {
    setObjectName("settingDialog");
    // Shown and hidden by the main window, which disables itself meanwhile.
    setModal(false);
    setFixedSize(kWidth, kHeight);
    m_icon->setObjectName("icon");
    m_tree->setObjectName("settingTree");
    m_ok->setObjectName("okButton");
    m_cancel->setObjectName("cancelButton");

    m_language = new CDlgSetLanguage(this, config.LanguageIndex, config.LanguageChoices);
    m_columns = new CDlgSetDevInfo(this, config.DevInfoMask, config.ShowModel);
    m_about = new CDlgSetAbout(this, AboutTexts{QString::fromStdString(config.AppName),
                                                QString::fromStdString(config.Version),
                                                QString::fromStdString(config.ReleaseText)});
    m_searchParams = new CDlgSetSearchParam(this, config.PeriodicSearch, config.SearchPeriodMinutes,
                                            config.PeriodChoices, config.SearchInterfaces);
    for (CSettingPage* page :
         {static_cast<CSettingPage*>(m_language), static_cast<CSettingPage*>(m_columns),
          static_cast<CSettingPage*>(m_about), static_cast<CSettingPage*>(m_searchParams)}) {
        page->setGeometry(kTreeWidth, kBand, kWidth - kTreeWidth, kHeight - 2 * kBand);
        page->hide();
    }
    m_language->show();

    m_ok->SetSkin(look::kButtonSkin);
    m_cancel->SetSkin(look::kButtonSkin);
    const QIcon logo(QString::fromStdString(config.LogoIconPath));
    if (!logo.isNull()) {
        m_icon->setPixmap(logo.pixmap(32, 32));
    }
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setItemDelegate(new TallerItemDelegate(m_tree));
    m_tree->setFrameShape(QFrame::NoFrame);
    QPalette treeColours = m_tree->palette();
    treeColours.setColor(QPalette::Base, look::kStripColor);
    m_tree->setPalette(treeColours);
    connect(m_ok, &CxSkinButton::clicked, this, &CDlgSetting::OnOk);
    connect(m_cancel, &CxSkinButton::clicked, this, &CDlgSetting::OnCancel);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr && item->parent() != nullptr) {
            SelectPage(item->data(0, Qt::UserRole).toInt());
        }
    });
    BuildTree();
    OnLanguageChanged();
    PlaceBandControls(true);
}

void CDlgSetting::BuildTree() {
    auto* root = new QTreeWidgetItem(m_tree);
    for (const TreeEntry& entry : kTreeEntries) {
        auto* child = new QTreeWidgetItem(root);
        child->setIcon(0, QIcon(SkinBitmap(entry.iconId)));
        child->setData(0, Qt::UserRole, entry.kind);
    }
    root->setExpanded(true);
}

QTreeWidgetItem* CDlgSetting::TreeItemOfKind(int kind) const {
    QTreeWidgetItem* root = m_tree->topLevelItem(0);
    for (int i = 0; root != nullptr && i < root->childCount(); ++i) {
        if (root->child(i)->data(0, Qt::UserRole).toInt() == kind) {
            return root->child(i);
        }
    }
    return nullptr;
}

CSettingPage* CDlgSetting::PageOfKind(int kind) const {
    switch (kind) {
    case kSettingLanguage:
        return m_language;
    case kSettingColumns:
        return m_columns;
    case kSettingAbout:
        return m_about;
    case kSettingSearch:
        return m_searchParams;
    default:
        return nullptr;
    }
}

void CDlgSetting::SelectPage(int kind) {
    CSettingPage* target = PageOfKind(kind);
    if (target == nullptr || kind == m_currentPage) {
        return;
    }
    PageOfKind(m_currentPage)->hide();
    target->show();
    m_currentPage = kind;
    if (QTreeWidgetItem* item = TreeItemOfKind(kind); item != m_tree->currentItem()) {
        m_tree->setCurrentItem(item);
    }
}

void CDlgSetting::OnLanguageChanged() {
    TitleLabel()->setText(LangText("tx.Sys_set"));
    m_ok->SetCaption(LangText("tx.OK"));
    m_cancel->SetCaption(LangText("tx.Cancel"));
    QTreeWidgetItem* root = m_tree->topLevelItem(0);
    root->setText(0, LangText("tx.Sys_set"));
    for (int i = 0; i < root->childCount(); ++i) {
        root->child(i)->setText(0, LangText(kTreeEntries[i].key));
    }
}

void CDlgSetting::showEvent(QShowEvent* event) {
    // The tree marks the page on view, not the root it would start on.
    m_tree->setCurrentItem(TreeItemOfKind(m_currentPage));
    CPopupDialog::showEvent(event);
}

void CDlgSetting::ShowCentredOver(const QRect& mainWindowRect) {
    move(mainWindowRect.center() - QPoint(width() / 2, height() / 2));
    show();
    raise();
    activateWindow();
}

void CDlgSetting::Hide() {
    hide();
    emit Closed();
}

void CDlgSetting::OnOk() {
    Hide();
    switch (m_currentPage) {
    case kSettingLanguage: {
        const int chosen = m_language->SelectedIndex();
        if (chosen < 0 || chosen >= static_cast<int>(kLanguageCount) || chosen == m_appliedLanguage) {
            m_language->SetCurrentIndex(m_appliedLanguage);
        } else {
            m_appliedLanguage = chosen;
            emit LanguageChosen(chosen);
        }
        break;
    }
    case kSettingColumns: {
        const uint32_t mask = m_columns->MaskFromBoxes();
        if (mask != m_appliedColumns) {
            m_appliedColumns = mask;
            emit ColumnMaskChosen(mask);
        }
        break;
    }
    case kSettingSearch: {
        const bool enabled = m_searchParams->EnabledChecked();
        const int minutes = m_searchParams->SelectedPeriod();
        if (enabled != m_appliedSearchEnabled || minutes != m_appliedSearchMinutes) {
            m_appliedSearchEnabled = enabled;
            m_appliedSearchMinutes = minutes;
            emit SearchParamsChosen(enabled, minutes);
        }
        if (m_searchParams->ChosenInterfaces() != m_appliedInterfaces) {
            m_appliedInterfaces = m_searchParams->ChosenInterfaces();
            QStringList names;
            for (const std::string& name : m_appliedInterfaces) {
                names.push_back(QString::fromStdString(name));
            }
            emit SearchInterfacesChosen(names);
        }
        break;
    }
    default:
        break;
    }
}

void CDlgSetting::OnCancel() {
    Hide();
}

void CDlgSetting::OnCloseButton() {
    OnCancel();
}

void CDlgSetting::PaintBody(QPainter& painter) {
    painter.fillRect(rect(), Qt::white);
    painter.fillRect(QRect(0, kBand, kTreeWidth, kTreeTop - kBand), look::kStripColor);
}

void CDlgSetting::resizeEvent(QResizeEvent* event) {
    CPopupDialog::resizeEvent(event);
    m_icon->setGeometry(10, 9, 32, 32);
    m_tree->setGeometry(0, kTreeTop, kTreeWidth, height() - kTreeTop);
    m_ok->setGeometry(width() - 200, height() - 39, 86, 28);
    m_cancel->setGeometry(width() - 100, height() - 39, 86, 28);
}

#pragma once
// CDlgSetting: the settings window. A tree on the left lists four pages
// (language, search, device-list columns, About); the page chosen
// is shown on the right. OK applies only the page on view, by telling the
// main window what changed; Cancel and the close button apply nothing and
// the pages keep what the user left there. The window is created once and
// shown or hidden; it reopens on the page last viewed.
#include "config/app_config.h"
#include "ui/popup_dialog.h"

#include <QPixmap>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

class CDlgSetAbout;
class CDlgSetDevInfo;
class CDlgSetLanguage;
class CDlgSetSearchParam;
class CMyTreeCtrl;
class CSettingPage;
class CxSkinButton;
class QLabel;
class QTreeWidgetItem;

// Page kinds, also the tree items' data.
enum SettingPageKind : int {
    kSettingLanguage = 5,
    kSettingColumns = 6,
    kSettingAbout = 12,
    kSettingSearch = 13,
};

class CDlgSetting : public CPopupDialog {
    Q_OBJECT

public:
    CDlgSetting(QWidget* mainWindow, const AppConfig& config);

    void OnLanguageChanged() override;
    void ShowCentredOver(const QRect& mainWindowRect);
    void SelectPage(int kind);
    int CurrentPage() const { return m_currentPage; }
    CSettingPage* PageOfKind(int kind) const;
    QTreeWidgetItem* TreeItemOfKind(int kind) const;

    void OnOk();
    void OnCancel();

signals:
    void LanguageChosen(int index);
    void ColumnMaskChosen(uint32_t mask);
    void SearchParamsChosen(bool enabled, int minutes);
    // The interfaces searches go out of; empty: every interface.
    void SearchInterfacesChosen(const QStringList& names);
    // OK, Cancel or close hid the window.
    void Closed();

protected:
    void OnCloseButton() override;
    void PaintBody(QPainter& painter) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildTree();
    void Hide();

    int m_currentPage = kSettingLanguage;
    int m_appliedLanguage;
    uint32_t m_appliedColumns;
    bool m_appliedSearchEnabled;
    int m_appliedSearchMinutes;
    std::vector<std::string> m_appliedInterfaces;

    QLabel* m_icon;
    CMyTreeCtrl* m_tree;
    CxSkinButton* m_ok;
    CxSkinButton* m_cancel;
    CDlgSetLanguage* m_language;
    CDlgSetDevInfo* m_columns;
    CDlgSetAbout* m_about;
    CDlgSetSearchParam* m_searchParams;
};

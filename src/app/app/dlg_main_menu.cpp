#include "app/dlg_main_menu.h"

#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QPainter>

namespace {

constexpr int kStripTop = 59;
constexpr int kStripWidth = 60;
constexpr int kButtonHeight = 60;
// The caption sits under the glyph of the strip bitmaps.
constexpr int kCaptionTop = 32;

constexpr int kDevInfoSkin[4] = {184, 185, 184, 184};
constexpr int kOperateSkin[4] = {175, 176, 175, 175};
constexpr int kCapacitySkin[4] = {236, 237, 236, 236};
constexpr int kSettingSkin[4] = {201, 202, 201, 201};
constexpr int kNoSkin[4] = {0, 0, 0, 0};

} // namespace

CDlgMainMenu::CDlgMainMenu(QWidget* parent) : CPage(parent) {
    setObjectName("mainMenu");
    m_devInfo = MakeButton("devInfoButton", kDevInfoSkin);
    m_network = MakeButton("networkButton", kNoSkin);
    m_operate = MakeButton("operateButton", kOperateSkin);
    m_capacity = MakeButton("capacityButton", kCapacitySkin);
    m_setting = MakeButton("settingButton", kSettingSkin);
    m_network->hide();
    connect(m_devInfo, &CxSkinButton::clicked, this, [this] { emit PageRequested(kPageDevInfo); });
    connect(m_operate, &CxSkinButton::clicked, this, [this] { emit PageRequested(kPageOperate); });
    connect(m_capacity, &CxSkinButton::clicked, this, [this] { emit PageRequested(kPageCapacity); });
    connect(m_setting, &CxSkinButton::clicked, this, &CDlgMainMenu::SettingsRequested);
    SelectPage(kPageDevInfo);
    OnLanguageChanged();
    OnRelayout();
}

CxSkinButton* CDlgMainMenu::MakeButton(const char* name, const int (&skin)[4]) {
    auto* button = new CxSkinButton(this);
    button->setObjectName(name);
    button->SetSkin(skin);
    button->SetCaptionTop(kCaptionTop);
    button->setFocusPolicy(Qt::NoFocus);
    QFont small = button->font();
    small.setPixelSize(11);
    button->setFont(small);
    return button;
}

void CDlgMainMenu::OnLanguageChanged() {
    m_devInfo->SetCaption(LangText("menu.Dev_info"));
    m_devInfo->SetTooltip(LangText("menu.Dev_info"));
    m_network->SetCaption(LangText("menu.Network"));
    m_network->SetTooltip(LangText("menu.Network"));
    m_operate->SetCaption(LangText("menu.Batch_Operate"));
    m_operate->SetTooltip(LangText("menu.Batch_Operate"));
    m_capacity->SetCaption(LangText("menu.Capacity_calucator"));
    m_capacity->SetTooltip(LangText("menu.Capacity_calucator"));
    m_setting->SetCaption(LangText("menu.Setting"));
    m_setting->SetTooltip(LangText("tx.Sys_set"));
}

void CDlgMainMenu::OnRelayout() {
    if (parentWidget() != nullptr) {
        const int height = parentWidget()->height() + 1 - kStripTop;
        setGeometry(0, kStripTop, kStripWidth, height);
    }
    m_devInfo->setGeometry(0, 120, kStripWidth, kButtonHeight);
    m_operate->setGeometry(0, 180, kStripWidth, kButtonHeight);
    m_capacity->setGeometry(0, 240, kStripWidth, kButtonHeight);
    m_setting->setGeometry(0, height() - kButtonHeight, kStripWidth, kButtonHeight);
    m_network->hide();
}

void CDlgMainMenu::SelectPage(int pageIndex) {
    m_devInfo->SetForcedLook(pageIndex == kPageDevInfo ? kLookDown : kLookNone);
    m_operate->SetForcedLook(pageIndex == kPageOperate ? kLookDown : kLookNone);
    m_capacity->SetForcedLook(pageIndex == kPageCapacity ? kLookDown : kLookNone);
}

void CDlgMainMenu::SetSettingMarked(bool marked) {
    m_setting->SetForcedLook(marked ? kLookDown : kLookNone);
}

CxSkinButton* CDlgMainMenu::ButtonOfPage(int pageIndex) const {
    switch (pageIndex) {
    case kPageDevInfo:
        return m_devInfo;
    case kPageOperate:
        return m_operate;
    case kPageCapacity:
        return m_capacity;
    default:
        return nullptr;
    }
}

void CDlgMainMenu::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), look::kStripColor);
}

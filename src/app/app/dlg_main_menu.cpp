#include "app/dlg_main_menu.h"

#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QPainter>

namespace {

constexpr int kStripTop = 59;
constexpr int kStripWidth = 60;
constexpr int kButtonHeight = 60;
// The caption sits under the glyph of the strip bitmaps (its lowest pixels
// are 29 down), on up to two lines of the 11-pixel font.
constexpr int kCaptionTop = 30;
constexpr int kCaptionLines = 2;

constexpr int kFirstPageButtonTop = 120;
constexpr int kSettingSkin[4] = {201, 202, 201, 201};
constexpr int kNoSkin[4] = {0, 0, 0, 0};

} // namespace

CDlgMainMenu::CDlgMainMenu(QWidget* parent) : CPage(parent) {
    setObjectName("mainMenu");
    m_network = MakeButton("networkButton", kNoSkin);
    m_setting = MakeButton("settingButton", kSettingSkin);
    m_network->hide();
    connect(m_setting, &CxSkinButton::clicked, this, &CDlgMainMenu::SettingsRequested);
}

CxSkinButton* CDlgMainMenu::MakePageButton(const char* name, const int (&skin)[4]) {
    return MakeButton(name, skin);
}

void CDlgMainMenu::SetPages(const PageTable& pages) {
    m_pages = &pages;
    for (const PageSlot& slot : pages) {
        const int index = slot.index;
        connect(slot.button, &CxSkinButton::clicked, this, [this, index] { emit PageRequested(index); });
    }
    SelectPage(pages.empty() ? -1 : pages.front().index);
    OnLanguageChanged();
    OnRelayout();
}

CxSkinButton* CDlgMainMenu::MakeButton(const char* name, const int (&skin)[4]) {
    auto* button = new CxSkinButton(this);
    button->setObjectName(name);
    button->SetSkin(skin);
    button->SetCaptionTop(kCaptionTop);
    button->SetCaptionLines(kCaptionLines);
    button->setFocusPolicy(Qt::NoFocus);
    QFont small = button->font();
    small.setPixelSize(11);
    button->setFont(small);
    return button;
}

void CDlgMainMenu::OnLanguageChanged() {
    if (m_pages != nullptr) {
        for (const PageSlot& slot : *m_pages) {
            slot.button->SetCaption(LangText(slot.captionKey));
            slot.button->SetTooltip(LangText(slot.captionKey));
        }
    }
    m_network->SetCaption(LangText("menu.Network"));
    m_network->SetTooltip(LangText("menu.Network"));
    m_setting->SetCaption(LangText("menu.Setting"));
    m_setting->SetTooltip(LangText("tx.Sys_set"));
}

void CDlgMainMenu::OnRelayout() {
    if (parentWidget() != nullptr) {
        const int height = parentWidget()->height() + 1 - kStripTop;
        setGeometry(0, kStripTop, kStripWidth, height);
    }
    if (m_pages != nullptr) {
        int top = kFirstPageButtonTop;
        for (const PageSlot& slot : *m_pages) {
            slot.button->setGeometry(0, top, kStripWidth, kButtonHeight);
            top += kButtonHeight;
        }
    }
    m_setting->setGeometry(0, height() - kButtonHeight, kStripWidth, kButtonHeight);
    m_network->hide();
}

void CDlgMainMenu::SelectPage(int pageIndex) {
    if (m_pages != nullptr) {
        for (const PageSlot& slot : *m_pages) {
            slot.button->SetForcedLook(slot.index == pageIndex ? kLookDown : kLookNone);
        }
    }
}

void CDlgMainMenu::SetSettingMarked(bool marked) {
    m_setting->SetForcedLook(marked ? kLookDown : kLookNone);
}

CxSkinButton* CDlgMainMenu::ButtonOfPage(int pageIndex) const {
    if (m_pages != nullptr) {
        for (const PageSlot& slot : *m_pages) {
            if (slot.index == pageIndex) {
                return slot.button;
            }
        }
    }
    return nullptr;
}

void CDlgMainMenu::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), look::kStripColor);
}

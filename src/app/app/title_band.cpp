#include "app/title_band.h"

#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace {

constexpr int kQuitSkin[4] = {205, 204, 206, 205};
constexpr int kMaxSkin[4] = {214, 216, 215, 214};
constexpr int kMinSkin[4] = {208, 211, 209, 208};
constexpr int kHelpSkin[4] = {241, 240, 242, 241};
constexpr int kSearchSkin[4] = {199, 198, 200, 197};
constexpr int kLogoSide = 32;
// The magnifier fills the top of the SEARCH bitmap; the caption goes below.
constexpr int kSearchCaptionTop = 22;

CxSkinButton* MakeButton(QWidget& window, const char* name, const int (&skin)[4]) {
    auto* button = new CxSkinButton(&window);
    button->setObjectName(name);
    button->SetSkin(skin);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QLabel* MakeStatic(QWidget& window, const char* name) {
    auto* label = new QLabel(&window);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, look::kTextColor);
    label->setPalette(colours);
    return label;
}

} // namespace

TitleBand::TitleBand(QWidget& window, const QFont& countFont) : QObject(&window) {
    quit = MakeButton(window, "quitButton", kQuitSkin);
    max = MakeButton(window, "maxButton", kMaxSkin);
    min = MakeButton(window, "minButton", kMinSkin);
    help = MakeButton(window, "helpButton", kHelpSkin);
    search = MakeButton(window, "bandSearchButton", kSearchSkin);
    search->SetCaptionTop(kSearchCaptionTop);
    search->SetTextColor(look::kTextColor);
    QFont small = search->font();
    small.setPixelSize(10);
    search->setFont(small);
    count = MakeStatic(window, "bandCount");
    count->setFont(countFont);
    // Absolute: an Arabic caption stays right-aligned against its count.
    count->setAlignment(Qt::AlignLeft | Qt::AlignVCenter | Qt::AlignAbsolute);
    countCaption = MakeStatic(window, "bandCountCaption");
    countCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter | Qt::AlignAbsolute);
    separator = MakeStatic(window, "bandSeparator");
    separator->setAutoFillBackground(true);
    QPalette line = separator->palette();
    line.setColor(QPalette::Window, QColor(110, 110, 110));
    separator->setPalette(line);
    logo = MakeStatic(window, "bandLogo");
    title = MakeStatic(window, "bandTitle");
    title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter | Qt::AlignAbsolute);
    addDevice = MakeButton(window, "addDeviceButton", look::kButtonSkin);
    findEdit = new QLineEdit(&window);
    findEdit->setObjectName("bandFindEdit");
    findButton = MakeButton(window, "bandFindButton", look::kButtonSkin);
    help->hide();
}

void TitleBand::Layout(int windowWidth) {
    const int w = windowWidth;
    quit->setGeometry(w - 24, 6, 20, 20);
    max->setGeometry(w - 46, 6, 20, 20);
    min->setGeometry(w - 68, 6, 20, 20);
    help->setGeometry(w - 92, 6, 20, 20);
    help->setVisible(m_helpShown);
    count->setGeometry(w - 164, 12, 62, 36);
    countCaption->setGeometry(w - 344, 24, 180, 24);
    separator->setGeometry(w - 356, 24, 2, 20);
    search->setGeometry(w - 402, 12, 36, 36);
    const int side = logo->pixmap().isNull() ? kLogoSide : logo->width();
    logo->setGeometry(10, (kHeight - side) / 2, side, side);
    title->setGeometry(logo->geometry().right() + 1 + 10, logo->y() + side / 2 - 10, 300, 20);
    addDevice->hide();
    findEdit->hide();
    findButton->hide();
}

void TitleBand::SetTexts() {
    search->SetCaption(LangText("tx.Search"));
    countCaption->setText(LangText("tx.dev_num_descri"));
}

void TitleBand::SetCount(int value) {
    count->setText(QString::number(value));
}

void TitleBand::SetSearching(bool searching) {
    search->SetForcedLook(searching ? kLookDisabled : kLookNone);
    search->setEnabled(!searching);
}

void TitleBand::SetLogo(const QPixmap& picture) {
    logo->setPixmap(picture);
    logo->setVisible(!picture.isNull());
}

void TitleBand::SetTitle(const QString& text) {
    title->setText(text);
}

void TitleBand::SetHelpShown(bool shown) {
    m_helpShown = shown;
    help->setVisible(shown);
}

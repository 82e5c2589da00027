#include "ui/dlg_help.h"

#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QPainter>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 578;
constexpr int kBand = 50;

// What the help picture's markers 1 to 5 point at: SEARCH, the device list
// and its header, find and show-all, the strip's pages, the settings button.
constexpr const char* kCalloutKeys[5] = {"tx.Help_search", "tx.Help_list", "tx.Help_find", "tx.Help_pages",
                                         "tx.Help_settings"};
// Each name sits under its own marker, in the picture's margin below the
// markers (their circles end 487 pixels down the picture). The markers lie at
// x 392, 560, 250, 100 and 40; each name's cell reaches halfway to the
// neighbouring markers (the leftmost a little further, for its long words).
constexpr int kLegendTop = 490;
constexpr int kLegendHeight = 36;
constexpr int kLegendLeft[5] = {321, 476, 175, 72, 0};
constexpr int kLegendRight[5] = {476, 640, 321, 175, 72};

} // namespace

CDlgHelp::CDlgHelp(QWidget* parent)
    : CPopupDialog(parent, kBand), m_icon(new QLabel(this)), m_picture(new QLabel(this)) {
    setObjectName("helpDialog");
    m_icon->setObjectName("icon");
    m_picture->setObjectName("picture");
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The OK button has the close button's look and place.
    CloseButton()->setObjectName("okButton");
    QFont legendFont = font();
    legendFont.setPixelSize(10);
    for (std::size_t i = 0; i < m_callouts.size(); ++i) {
        auto* callout = new QLabel(m_picture);
        callout->setObjectName(QString("callout%1").arg(i + 1));
        callout->setTextFormat(Qt::PlainText);
        callout->setWordWrap(true);
        callout->setFont(legendFont);
        QPalette ink = callout->palette();
        ink.setColor(QPalette::WindowText, look::kBodyTextColor);
        callout->setPalette(ink);
        callout->setAlignment(Qt::AlignHCenter | Qt::AlignTop | Qt::AlignAbsolute);
        callout->setGeometry(kLegendLeft[i] + 2, kLegendTop, kLegendRight[i] - kLegendLeft[i] - 4,
                             kLegendHeight);
        callout->hide();
        m_callouts[i] = callout;
    }
}

void CDlgHelp::OnLanguageChanged() {
    for (std::size_t i = 0; i < m_callouts.size(); ++i) {
        m_callouts[i]->setText(LangText(kCalloutKeys[i]));
    }
}

void CDlgHelp::SetColours(const QColor& background, const QColor& title) {
    m_background = background;
    m_titleColour = title;
}

void CDlgHelp::SetPictures(const QPixmap& logo, const QPixmap& help) {
    m_logo = logo;
    m_help = help;
}

void CDlgHelp::Prepare() {
    SetBandColour(m_background);
    QPalette titlePalette = TitleLabel()->palette();
    titlePalette.setColor(QPalette::WindowText, m_titleColour);
    TitleLabel()->setPalette(titlePalette);
    TitleLabel()->setText(LangText("tx.Help"));
    OnLanguageChanged();
    m_icon->clear();
    if (!m_logo.isNull()) {
        m_icon->setPixmap(m_logo.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    // The top-left corner stays where it is; the size is fixed.
    setFixedSize(kWidth, kHeight);
    m_icon->setGeometry(10, 9, 32, 32);
    PlaceBandControls(true);
    m_picture->setGeometry(0, kBand, kWidth, kHeight - kBand);
    m_picture->clear();
    if (!m_help.isNull()) {
        m_picture->setPixmap(m_help);
    }
    // Without the picture there are no markers to name.
    for (QLabel* callout : m_callouts) {
        callout->setVisible(!m_help.isNull());
    }
}

int CDlgHelp::DoModal() {
    Prepare();
    return exec();
}

void CDlgHelp::OnCloseButton() {
    done(1);
}

void CDlgHelp::PaintBody(QPainter& painter) {
    painter.fillRect(rect(), m_background);
}

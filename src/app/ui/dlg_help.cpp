#include "ui/dlg_help.h"

#include "ui/lang_text.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QPainter>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 578;
constexpr int kBand = 50;

} // namespace

CDlgHelp::CDlgHelp(QWidget* parent)
    : CPopupDialog(parent, kBand), m_icon(new QLabel(this)), m_picture(new QLabel(this)) {
    setObjectName("helpDialog");
    m_icon->setObjectName("icon");
    m_picture->setObjectName("picture");
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The OK button has the close button's look and place.
    CloseButton()->setObjectName("okButton");
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

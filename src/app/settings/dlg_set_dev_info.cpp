#include "settings/dlg_set_dev_info.h"

#include "config/app_config.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"

#include <QPalette>
#include <iterator>

namespace {

struct BoxSpec {
    int bit;
    const char* key;
};

constexpr BoxSpec kBoxes[] = {
    {1, "ck.IP"},
    {2, "ck.MAC"},
    {3, "ck.Type"},
    {4, "ck.Version"},
    {5, "ck.HTTP_port"},
    {6, "ck.TCP_port"},
    {7, "ck.Onvif_port"},
    {8, "ck.Model"},
    {9, "ck.Cloud"},
    {10, "ck.Dev_time"},
    {11, "ck.Dev_start_time"},
    {12, "ck.Release_time"},
    {13, "ck.Login_state"},
    {14, "ck.Family"},
    {15, "ck.Name"},
    {16, "ck.Hardware"},
    {17, "ck.Location"},
    {18, "ck.Interface"},
};
constexpr int kLastBit = kDevInfoColumnCount - 1;
static_assert(std::size(kBoxes) == kLastBit);

// The places of the boxes: two columns, top to bottom. Model, cloud id,
// start time and login state follow each other in the left column, so
// without the model box the three below it move up one place each. The
// families' facts follow in the right column, the interface the reply came
// in on closes the left one.
constexpr int kLeftColumn[] = {1, 3, 5, 7, 8, 9, 11, 13, 18};
constexpr int kRightColumn[] = {2, 4, 6, 10, 12, 14, 15, 16, 17};
constexpr int kLeftX = 30;
constexpr int kRightX = 200;
constexpr int kTopY = 24;
constexpr int kRowStep = 30;

bool Fixed(int bit) {
    return bit == 1 || bit == 2 || bit == 13;
}

} // namespace

CDlgSetDevInfo::CDlgSetDevInfo(QWidget* parent, uint32_t mask, bool showModel)
    : CSettingPage(parent), m_mask(mask), m_showModel(showModel) {
    setObjectName("devInfoColumnsPage");
    for (const BoxSpec& spec : kBoxes) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("columnBox%1").arg(spec.bit));
        QPalette colours = box->palette();
        colours.setColor(QPalette::WindowText, look::kBodyTextColor);
        box->setPalette(colours);
        m_boxes[static_cast<std::size_t>(spec.bit)] = box;
    }
    for (int bit = 1; bit <= kLastBit; ++bit) {
        connect(m_boxes[static_cast<std::size_t>(bit)], &QCheckBox::clicked, this,
                [this] { m_mask = MaskFromBoxes(); });
    }
    PlaceBoxes();
    OnLanguageChanged();
}

QCheckBox* CDlgSetDevInfo::BoxOfBit(int bit) const {
    return bit >= 1 && bit <= kLastBit ? m_boxes[static_cast<std::size_t>(bit)] : nullptr;
}

void CDlgSetDevInfo::PlaceBoxes() {
    int row = 0;
    for (int bit : kLeftColumn) {
        if (bit == 8 && !m_showModel) {
            continue;
        }
        m_boxes[static_cast<std::size_t>(bit)]->setGeometry(kLeftX, kTopY + row * kRowStep, 160, 22);
        ++row;
    }
    row = 0;
    for (int bit : kRightColumn) {
        m_boxes[static_cast<std::size_t>(bit)]->setGeometry(kRightX, kTopY + row * kRowStep, 160, 22);
        ++row;
    }
    m_boxes[8]->setVisible(m_showModel);
}

void CDlgSetDevInfo::OnLanguageChanged() {
    for (const BoxSpec& spec : kBoxes) {
        m_boxes[static_cast<std::size_t>(spec.bit)]->setText(LangText(spec.key));
    }
}

uint32_t CDlgSetDevInfo::MaskFromBoxes() const {
    uint32_t mask = 0;
    for (int bit = 1; bit <= kLastBit; ++bit) {
        if (m_boxes[static_cast<std::size_t>(bit)]->isChecked()) {
            mask |= 1U << bit;
        }
    }
    return mask;
}

void CDlgSetDevInfo::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        PlaceBoxes();
    }
    for (int bit = 1; bit <= kLastBit; ++bit) {
        QCheckBox* box = m_boxes[static_cast<std::size_t>(bit)];
        box->setChecked(((m_mask >> bit) & 1U) != 0);
        box->setEnabled(!Fixed(bit));
    }
    CSettingPage::showEvent(event);
}

#pragma once
// CDlgSetDevInfo: the device-list columns page of the settings dialog, one
// check box per column bit 1..17. IP, MAC and login state cannot be turned
// off; the model box is there only when models are shown.
#include "config/app_config.h"
#include "settings/setting_page.h"

#include <QCheckBox>
#include <array>
#include <cstdint>

class CDlgSetDevInfo : public CSettingPage {
    Q_OBJECT

public:
    CDlgSetDevInfo(QWidget* parent, uint32_t mask, bool showModel);

    void OnLanguageChanged() override;
    // Bit n set when the box of column n is checked; bit 0 is always 0.
    uint32_t MaskFromBoxes() const;
    // The page's value, shown again at the next showing.
    void SetMask(uint32_t mask) { m_mask = mask; }
    QCheckBox* BoxOfBit(int bit) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void PlaceBoxes();

    uint32_t m_mask;
    bool m_showModel;
    bool m_placed = false;
    std::array<QCheckBox*, kDevInfoColumnCount> m_boxes{}; // index = bit; [0] unused
};

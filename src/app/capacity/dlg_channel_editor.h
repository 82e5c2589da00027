#pragma once
// CDlgChannelEditor: the pop-up in which the user describes one group of
// identical channels (count, video standard, resolution, frame rate, bit
// rate; the quality follows the bit rate). The calculator page creates it
// once and shows it with the main window disabled; it is then only hidden
// and shown again.
//
// In add mode every confirmation hands a new group to the page and the
// editor stays open, so several groups can be added in a row; in modify mode
// the confirmation hides the editor and hands the group over to be written
// over the page's checked rows. The bit rates offered come from the built-in
// table, interpolated over the frame rate; the resolutions from Encode.ini,
// read when the editor is first shown.
#include "capacity/bitrate_table.h"
#include "capacity/capacity_channel.h"
#include "capacity/resolution_list.h"
#include "ui/popup_dialog.h"

#include <optional>
#include <string>

class CxSkinButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class CDlgChannelEditor : public CPopupDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 350;

    // encodeIniPath: the bit-rate file, read at the first showing.
    CDlgChannelEditor(QWidget* page, std::string encodeIniPath);

    // Fills the editor for the mode and shows it; the caller has placed it
    // and disabled the main window.
    void Open(bool modifyMode);
    bool ModifyMode() const { return m_modifyMode; }
    // The group the last confirmation built.
    const CapacityChannel& LastRecord() const { return m_record; }
    void OnLanguageChanged() override;
    // The confirm button.
    void Confirm();

signals:
    // Add mode: append the group as a new row. Handled before this returns.
    void AddChannel(const CapacityChannel& channel);
    // Modify mode: write the group over every checked row.
    void ModifyChannels(const CapacityChannel& channel);
    // The editor was hidden (close button, a confirmation in modify mode,
    // or the window system): the main window may be enabled again.
    void Hidden();

protected:
    void OnCloseButton() override;
    void hideEvent(QHideEvent* event) override;

private:
    void FirstShowing();
    void FillResolutions();
    void FillQualities();
    // What a click on PAL or NTSC does: frame rates, working table, bit rates.
    void RefreshForStandard();
    void FillFrameRates();
    void BuildTable();
    void FillBitRates();
    void SetStandard(capacity::VideoStandard standard);
    capacity::VideoStandard Standard() const;
    void SetModeTexts();
    void HideEditor();
    void Layout();

    std::string m_encodeIniPath;
    capacity::ResolutionList m_resolutions;
    std::optional<capacity::WorkingTable> m_table;
    CapacityChannel m_record;
    bool m_modifyMode = false;
    bool m_initialised = false;

    QLabel* m_countLabel;
    QLineEdit* m_count;
    QLabel* m_standardLabel;
    QRadioButton* m_pal;
    QRadioButton* m_ntsc;
    QLabel* m_qualityLabel;
    QComboBox* m_quality;
    QLabel* m_resolutionLabel;
    QComboBox* m_resolution;
    QLabel* m_frameRateLabel;
    QComboBox* m_frameRate;
    QLabel* m_bitRateLabel;
    QComboBox* m_bitRate;
    CxSkinButton* m_confirm;
};

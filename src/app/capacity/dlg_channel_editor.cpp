#include "capacity/dlg_channel_editor.h"

#include "ui/body_static.h"
#include "ui/edit_rules.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"
#include "util/tool.h"

#include <QComboBox>
#include <QEvent>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

constexpr int kMinChannels = 1;
constexpr int kMaxChannels = 1024;

// Rows of label and control below the band.
constexpr int kLabelX = 24;
constexpr int kLabelWidth = 120;
constexpr int kControlX = 150;
constexpr int kControlWidth = 186;
constexpr int kFirstRowY = 60;
constexpr int kRowStep = 40;
constexpr int kConfirmWidth = 140;

int ComboInt(const QComboBox& list) {
    return Tool::ToInt(list.currentText().toStdString());
}

} // namespace

CDlgChannelEditor::CDlgChannelEditor(QWidget* page, std::string encodeIniPath)
    : CPopupDialog(page, 40), m_encodeIniPath(std::move(encodeIniPath)),
      m_countLabel(MakeBodyStatic(this, "channelsLabel")), m_count(new QLineEdit(this)),
      m_standardLabel(MakeBodyStatic(this, "standardLabel")), m_pal(new QRadioButton(this)),
      m_ntsc(new QRadioButton(this)), m_qualityLabel(MakeBodyStatic(this, "qualityLabel")),
      m_quality(new QComboBox(this)), m_resolutionLabel(MakeBodyStatic(this, "resolutionLabel")),
      m_resolution(new QComboBox(this)), m_frameRateLabel(MakeBodyStatic(this, "frameRateLabel")),
      m_frameRate(new QComboBox(this)), m_bitRateLabel(MakeBodyStatic(this, "bitRateLabel")),
      m_bitRate(new QComboBox(this)), m_confirm(new CxSkinButton(this)) {
    setObjectName("channelEditor");
    // Shown and hidden by the calculator page, which disables the main window meanwhile.
    setModal(false);
    setFixedSize(kWidth, kHeight);
    m_count->setObjectName("channelCount");
    m_pal->setObjectName("palRadio");
    m_ntsc->setObjectName("ntscRadio");
    m_quality->setObjectName("qualityList");
    m_resolution->setObjectName("resolutionList");
    m_frameRate->setObjectName("frameRateList");
    m_bitRate->setObjectName("bitRateList");
    m_confirm->setObjectName("confirmButton");
    // The standards' own names, the same in every language.
    m_pal->setText(QString::fromUtf8(capacity::VideoStandardName(capacity::VideoStandard::Pal)));
    m_ntsc->setText(QString::fromUtf8(capacity::VideoStandardName(capacity::VideoStandard::Ntsc)));
    // The quality only shows which level the chosen bit rate belongs to.
    m_quality->setEnabled(false);
    m_confirm->SetSkin(look::kButtonSkin);
    m_record.standard = capacity::VideoStandardName(capacity::VideoStandard::Pal);

    connect(m_count, &QLineEdit::textChanged, this,
            [this] { Tool::ClampEditNumber(*m_count, kMinChannels, kMaxChannels); });
    connect(m_pal, &QRadioButton::clicked, this, &CDlgChannelEditor::RefreshForStandard);
    connect(m_ntsc, &QRadioButton::clicked, this, &CDlgChannelEditor::RefreshForStandard);
    connect(m_resolution, &QComboBox::currentIndexChanged, this, [this] {
        BuildTable();
        FillBitRates();
    });
    connect(m_frameRate, &QComboBox::currentIndexChanged, this, &CDlgChannelEditor::FillBitRates);
    connect(m_bitRate, &QComboBox::currentIndexChanged, this, [this](int position) {
        if (position >= 0) {
            m_quality->setCurrentIndex(position);
        }
    });
    connect(m_confirm, &CxSkinButton::clicked, this, &CDlgChannelEditor::Confirm);

    Layout();
    OnLanguageChanged();
}

void CDlgChannelEditor::Layout() {
    const std::pair<QLabel*, QWidget*> rows[] = {
        {m_countLabel, m_count},           {m_standardLabel, nullptr},      {m_qualityLabel, m_quality},
        {m_resolutionLabel, m_resolution}, {m_frameRateLabel, m_frameRate}, {m_bitRateLabel, m_bitRate},
    };
    int y = kFirstRowY;
    for (const auto& [label, control] : rows) {
        label->setGeometry(kLabelX, y + 3, kLabelWidth, 20);
        if (control != nullptr) {
            control->setGeometry(kControlX, y, kControlWidth, 26);
        }
        y += kRowStep;
    }
    const int standardY = kFirstRowY + kRowStep;
    m_pal->setGeometry(kControlX, standardY, 86, 26);
    m_ntsc->setGeometry(kControlX + 90, standardY, 96, 26);
    m_confirm->setGeometry((kWidth - kConfirmWidth) / 2, y + 4, kConfirmWidth, 28);
}

void CDlgChannelEditor::OnLanguageChanged() {
    m_countLabel->setText(LangText("ck.Channels"));
    m_standardLabel->setText(LangText("ck.Vedio_Standard"));
    m_qualityLabel->setText(LangText("ck.Image_Quality"));
    m_resolutionLabel->setText(LangText("ck.Resolution"));
    m_frameRateLabel->setText(LangText("ck.Frame_Rate"));
    m_bitRateLabel->setText(LangText("ck.Bit_Rate"));
    for (int i = 0; i < m_quality->count(); ++i) {
        m_quality->setItemText(i, LangText(capacity::QualityKey(m_quality->itemData(i).toInt())));
    }
    SetModeTexts();
}

void CDlgChannelEditor::SetModeTexts() {
    const QString text = LangText(m_modifyMode ? "tx.Modify_channel" : "tx.Add_channel");
    TitleLabel()->setText(text);
    m_confirm->SetCaption(text);
}

void CDlgChannelEditor::Open(bool modifyMode) {
    m_modifyMode = modifyMode;
    if (!m_initialised) {
        FirstShowing();
    }
    FillQualities();
    SetModeTexts();
    if (modifyMode) {
        // The standard and count of the group built last; the checked rows'
        // own values are not loaded.
        m_count->setText(QString::number(m_record.channels));
        SetStandard(capacity::ParseVideoStandard(m_record.standard).value_or(capacity::VideoStandard::Ntsc));
    } else {
        m_count->setText(QString::number(kMinChannels));
        SetStandard(capacity::VideoStandard::Pal);
    }
    RefreshForStandard();
    m_quality->setCurrentIndex(capacity::kBestQuality);
    show();
    raise();
    activateWindow();
}

void CDlgChannelEditor::FirstShowing() {
    SetStandard(capacity::VideoStandard::Pal);
    m_resolutions = capacity::LoadResolutionList(m_encodeIniPath);
    FillResolutions();
    FillFrameRates();
    BuildTable();
    FillBitRates();
    m_initialised = true;
}

void CDlgChannelEditor::FillResolutions() {
    const QSignalBlocker blocker(m_resolution);
    m_resolution->clear();
    for (const auto& [id, name] : m_resolutions) {
        m_resolution->addItem(QString::fromUtf8(name), id);
    }
    // The highest id comes first to hand.
    m_resolution->setCurrentIndex(m_resolution->count() - 1);
}

void CDlgChannelEditor::FillQualities() {
    const QSignalBlocker blocker(m_quality);
    m_quality->clear();
    for (int quality = 0; quality < capacity::kQualityLevels; ++quality) {
        m_quality->addItem(LangText(capacity::QualityKey(quality)), quality);
    }
    m_quality->setCurrentIndex(capacity::kBestQuality);
}

void CDlgChannelEditor::RefreshForStandard() {
    FillFrameRates();
    BuildTable();
    FillBitRates();
}

void CDlgChannelEditor::FillFrameRates() {
    const capacity::VideoStandard standard = Standard();
    const int selection = capacity::FrameRateSelection(m_frameRate->currentText().toStdString(), standard);
    const QSignalBlocker blocker(m_frameRate);
    m_frameRate->clear();
    for (const std::string& item : capacity::FrameRateItems(standard)) {
        m_frameRate->addItem(QString::fromStdString(item));
    }
    m_frameRate->setCurrentIndex(selection);
}

void CDlgChannelEditor::BuildTable() {
    std::optional<int> selected;
    if (m_resolution->currentIndex() >= 0) {
        selected = m_resolution->currentData().toInt();
    }
    const std::optional<int> id = capacity::ResolveResolutionId(selected, m_resolutions);
    // No resolution at all, or one without an anchor row: no bit rates to offer.
    m_table = id ? capacity::BuildWorkingTable(Standard(), *id) : std::nullopt;
}

void CDlgChannelEditor::FillBitRates() {
    std::optional<int> qualityData;
    if (m_quality->currentIndex() >= 0) {
        qualityData = m_quality->currentData().toInt();
    }
    const int position = capacity::QualitySelection(qualityData);
    {
        const QSignalBlocker blocker(m_bitRate);
        m_bitRate->clear();
        if (m_table) {
            if (const auto offered = m_table->Offered(ComboInt(*m_frameRate))) {
                for (int quality = 0; quality < capacity::kQualityLevels; ++quality) {
                    m_bitRate->addItem(QString::number(offered->at(static_cast<std::size_t>(quality))),
                                       quality);
                }
            }
        }
        m_bitRate->setCurrentIndex(m_bitRate->count() > position ? position : -1);
    }
    if (m_bitRate->currentIndex() >= 0) {
        m_quality->setCurrentIndex(m_bitRate->currentIndex());
    }
}

void CDlgChannelEditor::SetStandard(capacity::VideoStandard standard) {
    m_pal->setChecked(standard == capacity::VideoStandard::Pal);
    m_ntsc->setChecked(standard == capacity::VideoStandard::Ntsc);
}

capacity::VideoStandard CDlgChannelEditor::Standard() const {
    return m_pal->isChecked() ? capacity::VideoStandard::Pal : capacity::VideoStandard::Ntsc;
}

void CDlgChannelEditor::Confirm() {
    CapacityChannel record;
    record.channels = Tool::ToInt(m_count->text().toStdString());
    std::optional<int> qualityPosition;
    if (m_quality->currentIndex() >= 0) {
        qualityPosition = m_quality->currentIndex();
    }
    const QVariant quality = m_quality->itemData(capacity::QualitySelection(qualityPosition));
    record.quality = quality.isValid() ? quality.toInt() : capacity::kBestQuality;
    record.standard = capacity::VideoStandardName(Standard());
    record.resolution = m_resolution->currentText().toUtf8().toStdString();
    record.frameRate = ComboInt(*m_frameRate);
    record.bitRate = ComboInt(*m_bitRate);
    m_record = record;
    if (m_modifyMode) {
        HideEditor();
        emit ModifyChannels(m_record);
    } else {
        emit AddChannel(m_record);
    }
}

void CDlgChannelEditor::OnCloseButton() {
    HideEditor();
}

void CDlgChannelEditor::HideEditor() {
    hide();
}

void CDlgChannelEditor::hideEvent(QHideEvent* event) {
    // However the editor goes (close button, confirmation, the window
    // system's close), the main window is given back.
    CPopupDialog::hideEvent(event);
    if (!event->spontaneous()) {
        emit Hidden();
    }
}

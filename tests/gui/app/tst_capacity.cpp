// The capacity calculator page and its channel editor, driven through their
// controls: the bit rates the editor offers, the rows it adds or rewrites,
// and the two results the page shows for the checked rows.
#include "capacity/channel_rows.h"
#include "capacity/dlg_capacity_calculator.h"
#include "capacity/dlg_channel_editor.h"
#include "lang/tool_language.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/skin_button.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

class CapacityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void editorInterpolatesOverTheFrameRate();
    void frameRateSurvivesAChangeOfStandard();
    void realTimeFourMegapixelIdsOfferNothing();
    void addModeStaysOpenAndAddsEveryConfirmation();
    void resultsCountOnlyCheckedRows();
    void editsKeepTheirLimits();
    void deletingCheckedRowsZeroesBothResults();
    void headerChecksAndUnchecksEveryRow();
    void modifyOverwritesEveryCheckedRow();
    void resultsAtTheLimitsNeverWrap();
    void languageSwitchRetitlesRowsAndResults();

private:
    void MakePage(const std::string& encodeIniPath);
    CDlgChannelEditor& OpenEditor(bool modify);
    // Confirms one group from the editor (open in add mode): PAL D1 at 25
    // frame/s, the bit rate at position quality.
    void AddD1(int channels, int quality);
    void CloseEditor();
    void Check(int row, bool checked);
    void Type(const char* edit, const QString& text);
    QString Result(const char* name) const;
    template <typename T> T* Editor(const char* name) const { return m_page->Editor()->findChild<T*>(name); }

    // The shipped data tree next to the test, only read.
    std::string m_programFolder;
    std::unique_ptr<QWidget> m_mainWindow; // stands in for the main window
    CDlgCapacityCalculator* m_page = nullptr;
    QList<TipRequest> m_tips;
};

void CapacityTest::initTestCase() {
    const QByteArray bin = qgetenv("CORVANE_BIN_DIR");
    m_programFolder =
        (bin.isEmpty() ? QCoreApplication::applicationDirPath() : QString::fromLocal8Bit(bin)).toStdString() +
        "/";
    QVERIFY(QFile::exists(QString::fromStdString(m_programFolder + "Config File/Config/Encode.ini")));
    Tool::LoadLanguage(0, m_programFolder);
}

void CapacityTest::init() {
    m_tips.clear();
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return kTipOk;
    });
    MakePage(m_programFolder + "Config File/Config/Encode.ini");
}

void CapacityTest::cleanup() {
    m_mainWindow.reset();
    m_page = nullptr;
    CDlgTip::SetAnswerer(nullptr);
}

void CapacityTest::MakePage(const std::string& encodeIniPath) {
    m_mainWindow = std::make_unique<QWidget>();
    m_mainWindow->resize(1090, 700);
    m_page = new CDlgCapacityCalculator(m_mainWindow.get(), QFont(), encodeIniPath);
    m_page->setGeometry(60, 60, 1030, 640);
    m_mainWindow->show();
}

CDlgChannelEditor& CapacityTest::OpenEditor(bool modify) {
    QTest::mouseClick(m_page->findChild<CxSkinButton*>(modify ? "modifyButton" : "addButton"),
                      Qt::LeftButton);
    return *m_page->Editor();
}

void CapacityTest::AddD1(int channels, int quality) {
    Editor<QComboBox>("resolutionList")->setCurrentIndex(Editor<QComboBox>("resolutionList")->findText("D1"));
    Editor<QComboBox>("frameRateList")->setCurrentIndex(24);
    Editor<QComboBox>("bitRateList")->setCurrentIndex(quality);
    Editor<QLineEdit>("channelCount")->setText(QString::number(channels));
    QTest::mouseClick(Editor<CxSkinButton>("confirmButton"), Qt::LeftButton);
}

void CapacityTest::CloseEditor() {
    QTest::mouseClick(m_page->Editor()->CloseButton(), Qt::LeftButton);
}

void CapacityTest::Check(int row, bool checked) {
    ColorListModel* model = m_page->List()->Model();
    model->setData(model->index(row, kColCheck), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void CapacityTest::Type(const char* edit, const QString& text) {
    m_page->findChild<QLineEdit*>(edit)->setText(text);
}

QString CapacityTest::Result(const char* name) const {
    return m_page->findChild<QLabel*>(name)->text();
}

void CapacityTest::editorInterpolatesOverTheFrameRate() {
    CDlgChannelEditor& editor = OpenEditor(false);
    QVERIFY(editor.isVisible());
    auto* resolutions = Editor<QComboBox>("resolutionList");
    auto* frameRates = Editor<QComboBox>("frameRateList");
    auto* bitRates = Editor<QComboBox>("bitRateList");
    auto* quality = Editor<QComboBox>("qualityList");
    // The shipped file lists ids 0..29; the highest comes selected.
    QCOMPARE(resolutions->count(), 30);
    QCOMPARE(resolutions->currentText(), QString("4K"));
    QVERIFY(!quality->isEnabled());

    resolutions->setCurrentIndex(resolutions->findText("1080P"));
    QCOMPARE(frameRates->count(), 25);
    QCOMPARE(frameRates->currentText(), QString("25"));
    QCOMPARE(bitRates->currentText(), QString("8192"));
    frameRates->setCurrentIndex(0);
    QCOMPARE(bitRates->currentText(), QString("1527"));
    frameRates->setCurrentIndex(11);
    QCOMPARE(bitRates->currentText(), QString("4582"));
    QCOMPARE(bitRates->count(), 6);

    // The disabled quality list follows the bit rate chosen.
    bitRates->setCurrentIndex(0);
    QCOMPARE(quality->currentText(), QString("Lowest"));
    bitRates->setCurrentIndex(5);
    QCOMPARE(quality->currentText(), QString("Best"));
}

void CapacityTest::frameRateSurvivesAChangeOfStandard() {
    OpenEditor(false);
    auto* frameRates = Editor<QComboBox>("frameRateList");
    auto* bitRates = Editor<QComboBox>("bitRateList");
    auto* resolutions = Editor<QComboBox>("resolutionList");
    resolutions->setCurrentIndex(resolutions->findText("1080P"));
    frameRates->setCurrentIndex(9); // 10 frame/s
    Editor<QRadioButton>("ntscRadio")->click();
    QCOMPARE(frameRates->count(), 30);
    QCOMPARE(frameRates->currentText(), QString("10"));
    frameRates->setCurrentIndex(29);
    QCOMPARE(bitRates->currentText(), QString("8192"));
    Editor<QRadioButton>("palRadio")->click();
    QCOMPARE(frameRates->count(), 25);
    QCOMPARE(frameRates->currentText(), QString("25"));

    // An NTSC group at 30 frame/s added; the next add starts from PAL again.
    Editor<QRadioButton>("ntscRadio")->click();
    frameRates->setCurrentIndex(29);
    QTest::mouseClick(Editor<CxSkinButton>("confirmButton"), Qt::LeftButton);
    QCOMPARE(m_page->List()->GetItemText(0, kColStandard), QString("NTSC"));
    QCOMPARE(m_page->List()->GetItemText(0, kColFrameRate), QString("30"));
    CloseEditor();
    OpenEditor(false);
    QVERIFY(Editor<QRadioButton>("palRadio")->isChecked());
    QCOMPARE(frameRates->count(), 25);
    QCOMPARE(frameRates->currentText(), QString("25"));
    QCOMPARE(bitRates->currentText(), QString("8192"));
    QCOMPARE(Editor<QLineEdit>("channelCount")->text(), QString("1"));
}

void CapacityTest::realTimeFourMegapixelIdsOfferNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Encode.ini");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[ENCODE]\nResolution=10,1080P|30,4M(NRT)|31,4M(RT)\n");
    file.close();
    MakePage(path.toStdString());
    OpenEditor(false);
    auto* resolutions = Editor<QComboBox>("resolutionList");
    QCOMPARE(resolutions->count(), 3);
    QCOMPARE(resolutions->currentText(), QString("4M(RT)"));
    auto* bitRates = Editor<QComboBox>("bitRateList");
    for (const char* name : {"4M(RT)", "4M(NRT)"}) {
        resolutions->setCurrentIndex(resolutions->findText(name));
        for (int frameRate : {0, 12, 24}) {
            Editor<QComboBox>("frameRateList")->setCurrentIndex(frameRate);
            QCOMPARE(bitRates->count(), 6);
            for (int position = 0; position < 6; ++position) {
                QCOMPARE(bitRates->itemText(position), QString("0"));
            }
        }
    }
}

void CapacityTest::addModeStaysOpenAndAddsEveryConfirmation() {
    CDlgChannelEditor& editor = OpenEditor(false);
    QVERIFY(!m_mainWindow->isEnabled());
    QVERIFY(editor.isEnabled());
    QCOMPARE(editor.TitleLabel()->text(), QString("Add Channel"));
    QCOMPARE(Editor<CxSkinButton>("confirmButton")->Caption(), QString("Add Channel"));
    // The count stays within 1..1024.
    Editor<QLineEdit>("channelCount")->setText("5000");
    QCOMPARE(Editor<QLineEdit>("channelCount")->text(), QString("1024"));
    Editor<QLineEdit>("channelCount")->setText("");
    QCOMPARE(Editor<QLineEdit>("channelCount")->text(), QString("1"));

    AddD1(3, 2);
    AddD1(1, 5);
    QVERIFY(editor.isVisible());
    QVERIFY(!m_mainWindow->isEnabled());
    CMyColorListCtrlEx* list = m_page->List();
    QCOMPARE(list->GetItemCount(), 2);
    const QStringList first = {"", "3", "PAL", "Standard", "D1", "25", "1024"};
    for (int column = 0; column < kCapacityColumnCount; ++column) {
        QCOMPARE(list->GetItemText(0, column), first[column]);
    }
    QCOMPARE(list->GetItemText(1, kColBitRate), QString("2560"));
    QCOMPARE(list->GetItemData(0), quintptr(2));
    QVERIFY(!list->GetCheck(0) && !list->GetCheck(1));

    QTest::mouseClick(editor.CloseButton(), Qt::LeftButton);
    QVERIFY(!editor.isVisible());
    QVERIFY(m_mainWindow->isEnabled());
    // Closed by the window system: the main window comes back as well.
    OpenEditor(false);
    QVERIFY(!m_mainWindow->isEnabled());
    editor.close();
    QVERIFY(!editor.isVisible());
    QVERIFY(m_mainWindow->isEnabled());
}

void CapacityTest::resultsCountOnlyCheckedRows() {
    QCOMPARE(Result("daysResult"), QString("0 days"));
    QCOMPARE(Result("diskSizeResult"), QString("0 GB"));
    OpenEditor(false);
    AddD1(1, 2); // 1 x 1024 Kb/s
    AddD1(4, 4); // 4 x 2048 Kb/s
    CloseEditor();
    Type("diskSizeEdit", "1000");
    Type("diskHoursEdit", "24");
    Type("daysEdit", "30");
    Type("daysHoursEdit", "24");
    QCOMPARE(Result("daysResult"), QString("0 days"));

    Check(0, true);
    QCOMPARE(Result("daysResult"), QString("88 days"));
    QCOMPARE(Result("diskSizeResult"), QString("340 GB"));
    // Four channels at 2048 count as 8192 Kb/s.
    Check(0, false);
    Check(1, true);
    QCOMPARE(Result("daysResult"), QString("11 days"));     // 1000 x 7812500 / (86400 x 8192)
    QCOMPARE(Result("diskSizeResult"), QString("2718 GB")); // 8 x 339.7 = 2717.9
    Check(0, true);
    QCOMPARE(Result("daysResult"), QString("9 days")); // 9216 Kb/s in all
}

void CapacityTest::editsKeepTheirLimits() {
    OpenEditor(false);
    AddD1(1, 2);
    CloseEditor();
    Check(0, true);
    Type("diskSizeEdit", "1000");
    QTest::keyClicks(m_page->findChild<QLineEdit*>("diskHoursEdit"), "30");
    QCOMPARE(m_page->findChild<QLineEdit*>("diskHoursEdit")->text(), QString("24"));
    QCOMPARE(Result("daysResult"), QString("88 days"));
    Type("daysHoursEdit", "99");
    QCOMPARE(m_page->findChild<QLineEdit*>("daysHoursEdit")->text(), QString("24"));
    Type("daysEdit", "400");
    QCOMPARE(m_page->findChild<QLineEdit*>("daysEdit")->text(), QString("366"));
    Type("diskSizeEdit", "12345678901");
    QCOMPARE(m_page->findChild<QLineEdit*>("diskSizeEdit")->text(), QString("999999999"));
    // An emptied edit reads 0, and so does its result.
    m_page->findChild<QLineEdit*>("diskHoursEdit")->clear();
    QCOMPARE(m_page->findChild<QLineEdit*>("diskHoursEdit")->text(), QString("0"));
    QCOMPARE(Result("daysResult"), QString("0 days"));
    m_page->findChild<QLineEdit*>("daysEdit")->clear();
    QCOMPARE(m_page->findChild<QLineEdit*>("daysEdit")->text(), QString("0"));
    QCOMPARE(Result("diskSizeResult"), QString("0 GB"));
}

void CapacityTest::deletingCheckedRowsZeroesBothResults() {
    // Nothing checked: the page says so and deletes nothing.
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("deleteButton"), Qt::LeftButton);
    QCOMPARE(m_tips.size(), 1);
    OpenEditor(false);
    for (int channels : {1, 2, 3}) {
        AddD1(channels, 2);
    }
    CloseEditor();
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("deleteButton"), Qt::LeftButton);
    QCOMPARE(m_tips.size(), 2);
    QCOMPARE(m_tips[1].text, QString("Check a channel row first."));
    QCOMPARE(m_tips[1].iconType, int(kTipIconInformation));
    QVERIFY(!m_tips[1].twoButtons);
    QCOMPARE(m_page->List()->GetItemCount(), 3);

    Type("diskSizeEdit", "1000");
    Type("diskHoursEdit", "24");
    Type("daysEdit", "30");
    Type("daysHoursEdit", "24");
    Check(0, true);
    Check(2, true);
    QVERIFY(Result("daysResult") != "0 days");
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("deleteButton"), Qt::LeftButton);
    QCOMPARE(m_page->List()->GetItemCount(), 1);
    QCOMPARE(m_page->List()->GetItemText(0, kColChannels), QString("2"));
    QCOMPARE(Result("daysResult"), QString("0 days"));
    QCOMPARE(Result("diskSizeResult"), QString("0 GB"));

    // Every row checked: all go.
    Check(0, true);
    QVERIFY(m_page->AllChecked());
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("deleteButton"), Qt::LeftButton);
    QCOMPARE(m_page->List()->GetItemCount(), 0);
    QVERIFY(!m_page->AllChecked());
    QCOMPARE(Result("diskSizeResult"), QString("0 GB"));
}

void CapacityTest::headerChecksAndUnchecksEveryRow() {
    CMyColorListCtrlEx* list = m_page->List();
    QHeaderView* header = list->Header();
    const QPoint allSection(header->sectionViewportPosition(kColCheck) + 10, header->height() / 2);
    // An empty list: nothing happens.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, allSection);
    QVERIFY(!m_page->AllChecked());

    OpenEditor(false);
    AddD1(1, 2);
    AddD1(1, 2);
    CloseEditor();
    Type("daysEdit", "30");
    Type("daysHoursEdit", "24");
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, allSection);
    QVERIFY(list->GetCheck(0) && list->GetCheck(1));
    QVERIFY(m_page->AllChecked());
    QCOMPARE(Result("diskSizeResult"), QString("680 GB"));
    // Another column's header leaves the checks alone.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(kColBitRate) + 10, header->height() / 2));
    QVERIFY(list->GetCheck(0) && list->GetCheck(1));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, allSection);
    QVERIFY(!list->GetCheck(0) && !list->GetCheck(1));
    QCOMPARE(Result("diskSizeResult"), QString("0 GB"));

    // Unchecking one row after "all" makes the next click check all again.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, allSection);
    Check(1, false);
    QVERIFY(!m_page->AllChecked());
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, allSection);
    QVERIFY(list->GetCheck(0) && list->GetCheck(1));
}

void CapacityTest::modifyOverwritesEveryCheckedRow() {
    // Modify without a checked row: the page says so and opens nothing.
    OpenEditor(true);
    QCOMPARE(m_tips.size(), 1);
    QVERIFY(!m_page->Editor()->isVisible());
    QVERIFY(m_mainWindow->isEnabled());

    OpenEditor(false);
    AddD1(1, 0);
    AddD1(2, 1);
    AddD1(3, 2);
    CloseEditor();
    Check(0, true);
    Check(2, true);
    Type("daysEdit", "30");
    Type("daysHoursEdit", "24");

    CDlgChannelEditor& editor = OpenEditor(true);
    QVERIFY(editor.isVisible());
    QVERIFY(!m_mainWindow->isEnabled());
    QCOMPARE(editor.TitleLabel()->text(), QString("Modify Channel"));
    QCOMPARE(Editor<CxSkinButton>("confirmButton")->Caption(), QString("Modify Channel"));
    // It starts from the group built last, not from the checked rows.
    QCOMPARE(Editor<QLineEdit>("channelCount")->text(), QString("3"));
    QCOMPARE(Editor<QComboBox>("qualityList")->currentIndex(), 5);
    Editor<QRadioButton>("ntscRadio")->click();
    Editor<QComboBox>("frameRateList")->setCurrentIndex(29);
    Editor<QComboBox>("bitRateList")->setCurrentIndex(2); // NTSC D1 standard at 30: 1024
    Editor<QLineEdit>("channelCount")->setText("2");
    QTest::mouseClick(Editor<CxSkinButton>("confirmButton"), Qt::LeftButton);
    QVERIFY(!editor.isVisible());
    QVERIFY(m_mainWindow->isEnabled());

    CMyColorListCtrlEx* list = m_page->List();
    QCOMPARE(list->GetItemCount(), 3);
    for (int row : {0, 2}) {
        QCOMPARE(list->GetItemText(row, kColChannels), QString("2"));
        QCOMPARE(list->GetItemText(row, kColStandard), QString("NTSC"));
        QCOMPARE(list->GetItemText(row, kColFrameRate), QString("30"));
        QCOMPARE(list->GetItemText(row, kColBitRate), QString("1024"));
        QCOMPARE(list->GetItemText(row, kColQuality), QString("Standard"));
    }
    QCOMPARE(list->GetItemText(1, kColChannels), QString("2"));
    QCOMPARE(list->GetItemText(1, kColBitRate), QString("768"));
    // Recalculated: two rows of 2 x 1024 Kb/s, 4 x 339.7 GB.
    QCOMPARE(Result("diskSizeResult"), QString("1359 GB"));
    // Reopening in modify mode shows the standard of that group.
    OpenEditor(true);
    QVERIFY(Editor<QRadioButton>("ntscRadio")->isChecked());
    QCOMPARE(Editor<QComboBox>("frameRateList")->count(), 30);
}

void CapacityTest::resultsAtTheLimitsNeverWrap() {
    CDlgChannelEditor* editor = m_page->Editor();
    CapacityChannel slow{1, 0, "PAL", "D1", 1, 1};
    emit editor->AddChannel(slow);
    Check(0, true);
    Type("diskSizeEdit", "999999999");
    Type("diskHoursEdit", "1");
    // Over 2^31 days: shown at the largest number the page holds.
    QCOMPARE(Result("daysResult"), QString("2147483647 days"));
    Type("diskHoursEdit", "24");
    QCOMPARE(Result("daysResult"), QString("2147483647 days"));

    m_page->List()->DeleteAllItems();
    CapacityChannel wide{1024, 5, "PAL", "8M", 25, 16384};
    emit editor->AddChannel(wide);
    Check(0, true);
    Type("daysEdit", "366");
    Type("daysHoursEdit", "24");
    // 24 x 3600 x 1024 x 16384 Kb/s x 366 days x 128 bytes: about 67.9 million GB.
    const double exactGb = 24.0 * 3600 * 1024 * 16384 * 366 * 128 / 1e9;
    const double shown = Result("diskSizeResult").section(' ', 0, 0).toDouble();
    QVERIFY2(std::abs(shown - exactGb) < exactGb * 1e-6, qPrintable(Result("diskSizeResult")));
    // 999999999 x 7812500 / (86400 x 1024 x 16384) = 5389.6
    QCOMPARE(Result("daysResult"), QString("5389 days"));

    // Every zero factor gives 0.
    for (const char* edit : {"daysEdit", "daysHoursEdit"}) {
        Type(edit, "0");
        QCOMPARE(Result("diskSizeResult"), QString("0 GB"));
        Type(edit, edit == std::string("daysEdit") ? "366" : "24");
    }
    CapacityChannel silent{4, 0, "PAL", "4M(RT)", 25, 0};
    m_page->List()->DeleteAllItems();
    emit editor->AddChannel(silent);
    Check(0, true);
    QCOMPARE(Result("diskSizeResult"), QString("0 GB"));
    Type("diskHoursEdit", "24");
    QCOMPARE(Result("daysResult"), QString("0 days"));
}

void CapacityTest::languageSwitchRetitlesRowsAndResults() {
    OpenEditor(false);
    AddD1(1, 5);
    CloseEditor();
    Check(0, true);
    Type("daysEdit", "30");
    Type("daysHoursEdit", "24");
    Tool::LoadLanguage(8, m_programFolder); // Deutsch
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::LanguageChange));
    QTRY_COMPARE(m_page->List()->GetItemText(0, kColQuality), QString("Beste"));
    QCOMPARE(m_page->List()->Model()->headerData(kColChannels, Qt::Horizontal, Qt::DisplayRole).toString(),
             QString("Kanäle"));
    QCOMPARE(Result("daysResult"), QString("0 Tage"));
    QCOMPARE(m_page->findChild<CxSkinButton*>("addButton")->Caption(), QString("Neuer Kanal"));
    QTRY_COMPARE(Editor<QLabel>("channelsLabel")->text(), QString("Kanäle"));
    OpenEditor(false);
    QCOMPARE(Editor<QComboBox>("qualityList")->currentText(), QString("Beste"));
    QCOMPARE(m_page->Editor()->TitleLabel()->text(), QString("Neuer Kanal"));
    Tool::LoadLanguage(0, m_programFolder);
}

QTEST_MAIN(CapacityTest)
#include "tst_capacity.moc"

// The skinned controls and the message and help dialogs, driven as a user
// drives them, on the offscreen platform.
#include "lang/language.h"
#include "lang/tool_language.h"
#include "platform/paths.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_help.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/skin_bitmaps.h"
#include "ui/skin_button.h"
#include "ui/tree_ctrl.h"

#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidgetItem>
#include <vector>

class ToolkitTest : public QObject {
    Q_OBJECT

private slots:
    void init() { CDlgTip::SetAnswerer({}); }

    void everyBitmapIdHasAPicture();
    void forcedLookWinsOverEveryState();
    void stretchKeepsTheTenPixelEdges();
    void longCaptionIsElidedAndOffersATooltip();
    void stripCaptionsWrapOntoTwoLinesBeforeEliding();
    void pressDragOffAndReleaseDoesNotClick();
    void doubleClickCountsAsTwoClicks();
    void listRowsAlternateAndSelectionShows();
    void listToolTipsShowDeviceTextAsItsCharacters();
    void resizableMaskFixesTheOtherColumns();
    void sortKeepsTheSelectedRecordSelected();
    void checkBoxesAndCheckedChildren();
    void oneButtonTipPutsOkWhereCancelWas();
    void tipCloseButtonCountsAsCancel();
    void tipPaintsBandBodyAndButtonStrip();
    void tipAnswererStandsInForTheDialog();
    void closingKeysCloseNoPopup();
    void helpWindowHasItsSizeAndToleratesMissingPictures();
    void helpLegendNamesTheFiveMarkersInTheLanguage();
};

void ToolkitTest::everyBitmapIdHasAPicture() {
    const int ids[] = {132, 153, 154, 175, 176, 177, 178, 179, 180, 184, 185, 197, 198, 199, 200, 201, 202,
                       204, 205, 206, 208, 209, 211, 214, 215, 216, 217, 224, 236, 237, 240, 241, 242};
    for (int id : ids) {
        QVERIFY2(!SkinBitmap(id).isNull(), qPrintable(QString::number(id)));
    }
    QCOMPARE(SkinBitmap(205).size(), QSize(20, 20));
    QCOMPARE(SkinBitmap(199).size(), QSize(36, 36));
    QCOMPARE(SkinBitmap(184).size(), QSize(60, 60));
    QCOMPARE(SkinBitmap(154).size(), QSize(16, 16));
    QVERIFY(SkinBitmap(1).isNull());
}

void ToolkitTest::forcedLookWinsOverEveryState() {
    QCOMPARE(ChooseSkinFace(kLookNone, true, false, false, true), SkinFace::Normal);
    QCOMPARE(ChooseSkinFace(kLookNone, true, false, true, true), SkinFace::Over);
    QCOMPARE(ChooseSkinFace(kLookNone, true, false, true, false), SkinFace::Normal);
    QCOMPARE(ChooseSkinFace(kLookNone, true, true, true, true), SkinFace::Down);
    QCOMPARE(ChooseSkinFace(kLookNone, false, true, true, true), SkinFace::Disabled);
    QCOMPARE(ChooseSkinFace(kLookDown, false, false, false, true), SkinFace::Down);
    QCOMPARE(ChooseSkinFace(kLookOver, true, true, false, false), SkinFace::Over);
    QCOMPARE(ChooseSkinFace(kLookDisabled, true, true, true, true), SkinFace::Disabled);
    QCOMPARE(ChooseSkinFace(7, true, false, false, true), SkinFace::Disabled);
}

void ToolkitTest::stretchKeepsTheTenPixelEdges() {
    // A 30-pixel bitmap: red left edge, green middle, blue right edge.
    QImage source(30, 4, QImage::Format_RGB32);
    for (int x = 0; x < 30; ++x) {
        const QColor colour = x < 10 ? Qt::red : (x >= 20 ? Qt::blue : Qt::green);
        for (int y = 0; y < 4; ++y) {
            source.setPixelColor(x, y, colour);
        }
    }
    QImage target(100, 20, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        DrawSkinBitmap(painter, target.rect(), QPixmap::fromImage(source));
    }
    QCOMPARE(target.pixelColor(9, 10), QColor(Qt::red));
    QCOMPARE(target.pixelColor(10, 10), QColor(Qt::green));
    QCOMPARE(target.pixelColor(89, 19), QColor(Qt::green));
    QCOMPARE(target.pixelColor(90, 0), QColor(Qt::blue));
    QCOMPARE(target.pixelColor(99, 19), QColor(Qt::blue));
}

void ToolkitTest::longCaptionIsElidedAndOffersATooltip() {
    CxSkinButton fits;
    fits.resize(200, 28);
    fits.SetCaption("OK");
    fits.SetTooltip("original");
    fits.grab();
    QVERIFY(!fits.CaptionElided());
    QCOMPARE(fits.toolTip(), QString("original"));

    CxSkinButton narrow;
    narrow.resize(40, 28);
    const QString caption = "A caption far too long for forty pixels";
    narrow.SetCaption(caption);
    narrow.SetTooltip("original");
    narrow.grab();
    QVERIFY(narrow.CaptionElided());
    QCOMPARE(narrow.toolTip(), caption);
}

void ToolkitTest::stripCaptionsWrapOntoTwoLinesBeforeEliding() {
    // A strip button: 60 x 60, the glyph above 30 pixels, 11-pixel captions.
    CxSkinButton button;
    button.resize(60, 60);
    button.SetCaptionTop(30);
    button.SetCaptionLines(2);
    QFont small = button.font();
    small.setPixelSize(11);
    button.setFont(small);
    button.SetTooltip("tip");

    button.SetCaption("Batch Operation");
    CaptionFit fit = button.FittedCaption();
    QCOMPARE(fit.lines, QStringList({"Batch", "Operation"}));
    QVERIFY(!fit.elided);
    QCOMPARE(fit.font.pixelSize(), 11);

    // A long German word breaks at its soft hyphen, in a smaller font if it must.
    Tool::LoadLanguage(8, GetProgramFolder());
    button.SetCaption(LangText("menu.Capacity_calucator"));
    fit = button.FittedCaption();
    QCOMPARE(fit.lines.size(), 2);
    QVERIFY(!fit.elided);
    QVERIFY(fit.lines[0].endsWith('-'));
    QCOMPARE(QString(fit.lines.join(QString()).remove('-')), QString("Speicherrechner"));
    const QFontMetrics metrics(fit.font);
    for (const QString& line : fit.lines) {
        QVERIFY(metrics.horizontalAdvance(line) <= button.CaptionRect().width());
    }
    QVERIFY(2 * metrics.height() <= button.CaptionRect().height());
    button.grab();
    QCOMPARE(button.toolTip(), QString("tip"));
    CLanguage::GetInstance().Load({}); // back to no pack: texts are their keys

    // Past two lines the ellipsis and the tool tip are the last resort.
    const QString endless = "Unbreakablewordthatgoesonandon and more words";
    button.SetCaption(endless);
    QVERIFY(button.CaptionElided());
    QVERIFY(button.FittedCaption().lines.size() <= 2);
    button.grab();
    QCOMPARE(button.toolTip(), endless);
}

void ToolkitTest::pressDragOffAndReleaseDoesNotClick() {
    QWidget window;
    window.resize(300, 100);
    auto* button = new CxSkinButton(&window);
    button->SetSkin(179, 178, 180, 177);
    button->setGeometry(10, 10, 80, 28);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(button, &QAbstractButton::clicked);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(button->CurrentFace(), SkinFace::Down);
    QMouseEvent off(QEvent::MouseMove, QPointF(200, 60), button->mapToGlobal(QPointF(200, 60)), Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &off);
    QVERIFY(!button->isDown());
    QMouseEvent back(QEvent::MouseMove, QPointF(20, 10), button->mapToGlobal(QPointF(20, 10)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &back);
    QVERIFY(button->isDown());
    QApplication::sendEvent(button, &off);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(200, 60));
    QCOMPARE(clicks.count(), 0);

    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(clicks.count(), 1);
}

void ToolkitTest::doubleClickCountsAsTwoClicks() {
    CxSkinButton button;
    button.resize(80, 28);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseDClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(clicks.count(), 2);
}

void ToolkitTest::listToolTipsShowDeviceTextAsItsCharacters() {
    CMyColorListCtrlEx list;
    list.InsertColumn(0, "Type", Qt::AlignCenter, 100);
    const QString texts[] = {"<img src=x width=1500 height=900>", "<b>IPC</b> & <i>NVR</i>", "IPC-HFW 2431"};
    for (const QString& text : texts) {
        const int row = list.InsertItem(list.Model()->rowCount(), text);
        const QString tip = list.Model()->data(list.Model()->index(row, 0), Qt::ToolTipRole).toString();
        // What the tool tip shows: rich text when Qt takes it for such.
        QTextDocument shown;
        if (Qt::mightBeRichText(tip)) {
            shown.setHtml(tip);
        } else {
            shown.setPlainText(tip);
        }
        QCOMPARE(shown.toPlainText(), text);
        QVERIFY2(shown.size().width() < 1000, qPrintable(tip)); // no 1500-pixel picture
    }
}

void ToolkitTest::listRowsAlternateAndSelectionShows() {
    CMyColorListCtrlEx list;
    list.resize(400, 200);
    list.InsertColumn(0, "A", Qt::AlignCenter, 100);
    list.InsertColumn(1, "B", Qt::AlignCenter, 100);
    for (int i = 0; i < 4; ++i) {
        const int row = list.InsertItem(i, QString::number(i));
        list.SetItemText(row, 1, "x");
    }
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.selectionModel()->select(list.Model()->index(2, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QImage shot = list.viewport()->grab().toImage();
    auto sample = [&](int row, int x) {
        const QRect cell = list.visualRect(list.Model()->index(row, 0));
        return shot.pixelColor(x, cell.center().y() + 3);
    };
    QCOMPARE(sample(0, 5), CMyColorListCtrlEx::kEvenRowColour);
    QCOMPARE(sample(1, 5), CMyColorListCtrlEx::kOddRowColour);
    QCOMPARE(sample(2, 5), CMyColorListCtrlEx::kSelectedRowColour);
    QCOMPARE(sample(3, 5), CMyColorListCtrlEx::kOddRowColour);
    // Right of the last column the row keeps its colour; cells carry white frames.
    QCOMPARE(sample(1, 300), CMyColorListCtrlEx::kOddRowColour);
    QCOMPARE(sample(1, 99), QColor(Qt::white));
}

void ToolkitTest::resizableMaskFixesTheOtherColumns() {
    CMyColorListCtrlEx list;
    for (int i = 0; i < 3; ++i) {
        list.InsertColumn(i, QString::number(i), Qt::AlignCenter, 60);
    }
    list.SetResizableMask(0x5);
    QCOMPARE(list.Header()->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(list.Header()->sectionResizeMode(1), QHeaderView::Fixed);
    QCOMPARE(list.Header()->sectionResizeMode(2), QHeaderView::Interactive);

    // Dragging the fixed column's divider leaves its width alone.
    list.resize(300, 100);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QWidget* header = list.Header()->viewport();
    const int divider = list.Header()->sectionViewportPosition(1) + 60 - 1;
    QTest::mousePress(header, Qt::LeftButton, {}, QPoint(divider, 5));
    QTest::mouseMove(header, QPoint(divider + 40, 5));
    QTest::mouseRelease(header, Qt::LeftButton, {}, QPoint(divider + 40, 5));
    QCOMPARE(list.GetColumnWidth(1), 60);
}

void ToolkitTest::sortKeepsTheSelectedRecordSelected() {
    CMyColorListCtrlEx list;
    list.InsertColumn(0, "v", Qt::AlignCenter, 60);
    for (int i = 0; i < 5; ++i) {
        const int row = list.InsertItem(i, QString::number(10 - i));
        list.SetItemData(row, static_cast<quintptr>(10 - i));
    }
    list.selectionModel()->select(list.Model()->index(1, 0), QItemSelectionModel::Select);
    list.SortItems([](const ListRow& a, const ListRow& b) { return a.data < b.data; });
    QCOMPARE(list.GetItemData(0), quintptr(6));
    QCOMPARE(list.GetItemData(4), quintptr(10));
    const QModelIndexList selected = list.selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(list.GetItemData(selected.first().row()), quintptr(9));
}

void ToolkitTest::checkBoxesAndCheckedChildren() {
    CMyColorListCtrlEx list;
    list.InsertColumn(0, "c", Qt::AlignLeft, 60);
    list.SetCheckBoxes(true);
    list.InsertItem(0, "a");
    list.InsertItem(1, "b");
    QSignalSpy changes(&list, &CMyColorListCtrlEx::ItemCheckChanged);
    list.SetCheck(1, true);
    QVERIFY(!list.GetCheck(0));
    QVERIFY(list.GetCheck(1));
    QCOMPARE(changes.count(), 1);
    QVERIFY(!list.GetCheck(7));

    CMyTreeCtrl tree;
    int count = -1;
    QVERIFY(!Tool::CountCheckedChildren(tree, count));
    QCOMPARE(count, 0);
    auto* root = new QTreeWidgetItem(&tree, {"root"});
    QVERIFY(!Tool::CountCheckedChildren(tree, count));
    for (int i = 0; i < 3; ++i) {
        auto* child = new QTreeWidgetItem(root, {QString::number(i)});
        child->setCheckState(0, i == 1 ? Qt::Unchecked : Qt::Checked);
        // Grandchildren are not counted.
        (new QTreeWidgetItem(child, {"deep"}))->setCheckState(0, Qt::Checked);
    }
    QVERIFY(Tool::CountCheckedChildren(tree, count));
    QCOMPARE(count, 2);
}

void ToolkitTest::oneButtonTipPutsOkWhereCancelWas() {
    CDlgTip two;
    two.SetTip("Quit?", "Message", true, true, kTipIconQuestion);
    two.Prepare();
    auto* ok2 = two.findChild<CxSkinButton*>("okButton");
    auto* cancel2 = two.findChild<CxSkinButton*>("cancelButton");
    QVERIFY(!cancel2->isHidden());
    QVERIFY(ok2->geometry().right() < cancel2->geometry().left());

    CDlgTip one;
    one.SetTip("Done", "Message", false, true, kTipIconInformation);
    one.Prepare();
    auto* ok = one.findChild<CxSkinButton*>("okButton");
    auto* cancel = one.findChild<CxSkinButton*>("cancelButton");
    QVERIFY(cancel->isHidden());
    QCOMPARE(ok->geometry(), cancel2->geometry());
    QVERIFY(!one.findChild<QLabel*>("icon")->pixmap().isNull());

    CDlgTip noIcon;
    noIcon.SetTip("x", "t", false, true, 99);
    noIcon.Prepare();
    QVERIFY(noIcon.findChild<QLabel*>("icon")->pixmap().isNull());
}

void ToolkitTest::tipCloseButtonCountsAsCancel() {
    CDlgTip tip;
    tip.SetTip("Quit?", "Message", true, true, kTipIconQuestion);
    QTimer::singleShot(0, &tip, [&] { QTest::mouseClick(tip.CloseButton(), Qt::LeftButton); });
    QCOMPARE(tip.DoModal(), int(kTipCancel));

    CDlgTip confirm;
    confirm.SetTip("Quit?", "Message", true, true, kTipIconQuestion);
    QTimer::singleShot(0, &confirm, [&] {
        QTest::mouseClick(confirm.findChild<CxSkinButton*>("okButton"), Qt::LeftButton);
    });
    QCOMPARE(confirm.DoModal(), int(kTipOk));
}

void ToolkitTest::tipPaintsBandBodyAndButtonStrip() {
    CDlgTip tip;
    const QString longText = QString("word ").repeated(60);
    tip.SetTip(longText, "Message", false, true, kTipIconInformation);
    tip.Prepare();
    const QImage shot = tip.grab().toImage();
    QCOMPARE(shot.pixelColor(tip.width() / 2, 38), QColor(49, 49, 49));
    QCOMPARE(shot.pixelColor(5, 45), QColor(Qt::white));
    QCOMPARE(shot.pixelColor(5, tip.height() - 5), QColor(243, 245, 247));
    QCOMPARE(shot.pixelColor(5, tip.height() - 41), QColor(Qt::white));
    // A long message wraps inside its static instead of running out of it.
    auto* message = tip.findChild<QLabel*>("message");
    QVERIFY(message->wordWrap());
    QVERIFY(message->geometry().right() < tip.width());
    QCOMPARE(message->textFormat(), Qt::PlainText);
}

void ToolkitTest::tipAnswererStandsInForTheDialog() {
    QList<TipRequest> seen;
    CDlgTip::SetAnswerer([&](const TipRequest& request) {
        seen.append(request);
        return int(kTipCancel);
    });
    QCOMPARE(ShowTipText(nullptr, "Sure?", true, kTipIconQuestion), int(kTipCancel));
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].text, QString("Sure?"));
    QVERIFY(seen[0].twoButtons);
    QCOMPARE(seen[0].iconType, int(kTipIconQuestion));
    // Without a language pack loaded the title is its key.
    QCOMPARE(seen[0].title, QString("msg.Msg"));
}

void ToolkitTest::closingKeysCloseNoPopup() {
    CDlgTip tip;
    tip.SetTip("x", "t", true, false, 0);
    tip.Prepare();
    tip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tip));
    QTest::keyClick(&tip, Qt::Key_Escape);
    QTest::keyClick(&tip, Qt::Key_Return);
    QTest::keyClick(&tip, Qt::Key_Enter);
    QVERIFY(tip.isVisible());
    QCOMPARE(tip.result(), 0);
}

void ToolkitTest::helpWindowHasItsSizeAndToleratesMissingPictures() {
    CDlgHelp help;
    help.move(100, 80);
    help.SetColours(QColor(49, 49, 49), QColor(255, 255, 255));
    help.Prepare();
    QCOMPARE(help.size(), QSize(640, 578));
    QCOMPARE(help.pos(), QPoint(100, 80));
    QVERIFY(help.findChild<QLabel*>("picture")->pixmap().isNull());
    QCOMPARE(help.findChild<QLabel*>("picture")->geometry(), QRect(0, 50, 640, 528));
    const QImage shot = help.grab().toImage();
    QCOMPARE(shot.pixelColor(320, 300), QColor(49, 49, 49));

    QPixmap picture(640, 528);
    picture.fill(Qt::green);
    help.SetPictures(QPixmap(), picture);
    help.Prepare();
    QCOMPARE(help.grab().toImage().pixelColor(320, 300), QColor(Qt::green));
    QCOMPARE(help.findChild<CxSkinButton*>("okButton")->geometry(), QRect(640 - 24, 6, 20, 20));
}

void ToolkitTest::helpLegendNamesTheFiveMarkersInTheLanguage() {
    const char* keys[5] = {"tx.Help_search", "tx.Help_list", "tx.Help_find", "tx.Help_pages",
                           "tx.Help_settings"};
    Tool::LoadLanguage(8, GetProgramFolder());
    CDlgHelp help;
    QPixmap picture(640, 528);
    picture.fill(Qt::white);
    help.SetPictures(QPixmap(), picture);
    help.Prepare();
    help.show();
    std::vector<QRect> places;
    for (int i = 0; i < 5; ++i) {
        auto* callout = help.findChild<QLabel*>(QString("callout%1").arg(i + 1));
        QVERIFY(callout != nullptr);
        QVERIFY(callout->isVisible());
        const QString text = LangText(keys[i]);
        QVERIFY2(text != QString(keys[i]), keys[i]);
        QCOMPARE(callout->text(), text);
        // Below the markers, inside the window, apart, and the German text
        // fits its cell.
        const QRect place(callout->mapTo(&help, QPoint(0, 0)), callout->size());
        QVERIFY(place.top() >= 50 + 488 && help.rect().contains(place));
        for (const QRect& other : places) {
            QVERIFY(!other.intersects(place));
        }
        places.push_back(place);
        const QRect needed = callout->fontMetrics().boundingRect(QRect(0, 0, place.width(), 1000),
                                                                 Qt::TextWordWrap, callout->text());
        QVERIFY2(needed.height() <= place.height() && needed.width() <= place.width(), qPrintable(text));
    }
    // A language switch reaches the legend.
    Tool::LoadLanguage(0, GetProgramFolder());
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&help, &change);
    QCOMPARE(help.findChild<QLabel*>("callout1")->text(), LangText(keys[0]));
    // No picture, no markers to name.
    help.SetPictures(QPixmap(), QPixmap());
    help.Prepare();
    QVERIFY(!help.findChild<QLabel*>("callout3")->isVisible());
    CLanguage::GetInstance().Load({});
}

QTEST_MAIN(ToolkitTest)
#include "tst_toolkit.moc"

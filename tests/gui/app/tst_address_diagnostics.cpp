// The device list's address diagnostics, against the lab's two networks
// (the computer has an interface on each): a search of both lists every
// device with the interface its reply came in on; rows with an address
// problem are tinted by their most serious one and say why in every cell's
// tool tip, a selected one still shows its tint, a row with nothing wrong
// keeps the list's colours.
#include "app/corvane_dlg.h"
#include "devlist/device_columns.h"
#include "devlist/dlg_dev_info.h"
#include "devlist/row_diagnosis.h"
#include "program_folder.h"
#include "ui/color_list_ctrl.h"
#include "ui/lang_text.h"

#include <QTest>
#include <memory>

class AddressDiagnosticsTest : public QObject {
    Q_OBJECT

private slots:
    void problemRowsAreTintedAndSayWhy();
};

void AddressDiagnosticsTest::problemRowsAreTintedAndSayWhy() {
    TestProgramFolder folder;
    MainWindowOptions options;
    options.programFolder = folder.Path();
    options.searchTiming.phaseMs = 500;
    options.searchTiming.resendMs = 60;
    options.searchTiming.pauseMs = 10;
    CCorvaneDlg window(options);
    window.OnInitDialog();
    window.show();
    CDlgDevInfo* page = window.DevInfoPage();
    QTRY_VERIFY_WITH_TIMEOUT(window.IsSearching(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!window.IsSearching(), 15000);
    CMyColorListCtrlEx* list = page->List();
    QCOMPARE(list->GetItemCount(), 9);

    const auto rowOf = [list](const QString& ip, int nth = 0) {
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->GetItemText(row, kColIp) == ip && nth-- == 0) {
                return row;
            }
        }
        return -1;
    };
    const auto tip = [list](int row, int column) {
        return list->Model()->data(list->Model()->index(row, column), Qt::ToolTipRole).toString();
    };
    const auto only = [](AddressProblem problem) {
        AddressProblems set;
        set.Add(problem);
        return set;
    };
    struct Expected {
        QString ip;
        int nth;
        AddressProblem problem;
    };
    const Expected expected[] = {
        {"10.77.16.31", 0, AddressProblem::Conflict},
        {"10.77.16.31", 1, AddressProblem::Conflict},
        {"192.168.1.108", 0, AddressProblem::Unreachable},
        {"10.77.16.32", 0, AddressProblem::MacAnsweredTwice},
        {"10.77.16.34", 0, AddressProblem::GatewayOutside},
    };
    for (const Expected& item : expected) {
        const int row = rowOf(item.ip, item.nth);
        QVERIFY2(row >= 0, qPrintable(item.ip));
        const QColor tint = ProblemTint(only(item.problem));
        QCOMPARE(list->Model()->Row(row)->tint, tint);
        QVERIFY(list->RowColour(row) == tint || list->RowColour(row) == tint.darker(110));
        for (const int column : {kColIp, kColMac}) {
            QVERIFY2(tip(row, column).startsWith(LangText(AddressProblemKey(item.problem))),
                     qPrintable(tip(row, column)));
        }
    }
    // The four tints differ from each other and from the list's own colours.
    QSet<QRgb> tints;
    for (const AddressProblem problem : kAddressProblems) {
        tints.insert(ProblemTint(only(problem)).rgb());
    }
    tints.insert(CMyColorListCtrlEx::kEvenRowColour.rgb());
    tints.insert(CMyColorListCtrlEx::kOddRowColour.rgb());
    tints.insert(CMyColorListCtrlEx::kSelectedRowColour.rgb());
    QCOMPARE(tints.size(), 7);
    QVERIFY(tip(rowOf("10.77.16.32"), kColIp).endsWith("10.77.16.33"));

    // Nothing wrong: the list's colours, the cell's own tool tip; the
    // interface column names the second network's link and address.
    const int fine = rowOf("10.78.16.1");
    QVERIFY(!list->Model()->Row(fine)->tint.isValid());
    QCOMPARE(tip(fine, kColIp), QString("10.78.16.1"));
    QVERIFY(list->GetItemText(fine, kColInterface).endsWith(" (10.78.0.2)"));
    QVERIFY(list->GetItemText(rowOf("10.77.16.30"), kColInterface).endsWith(" (10.77.0.2)"));

    // Selected: the selection's colour, the tint kept for the band.
    const int conflict = rowOf("10.77.16.31");
    list->selectionModel()->select(list->Model()->index(conflict, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QCOMPARE(list->RowColour(conflict), CMyColorListCtrlEx::kSelectedRowColour);
    QVERIFY(list->Model()->Row(conflict)->tint.isValid());
}

QTEST_MAIN(AddressDiagnosticsTest)
#include "tst_address_diagnostics.moc"

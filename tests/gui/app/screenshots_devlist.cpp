#include "screenshots_devlist.h"

#include "app/corvane_dlg.h"
#include "devlist/device_actions.h"
#include "devlist/device_columns.h"
#include "devlist/dlg_add_address.h"
#include "devlist/dlg_dev_info.h"
#include "devlist/dlg_modify_model.h"
#include "devlist/dlg_modify_network.h"
#include "lang/language_table.h"
#include "operate/dlg_login_local.h"
#include "text_overflow.h"
#include "ui/color_list_ctrl.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <cstdio>

namespace {

constexpr int kArabic = 20;
constexpr int kGerman = 8;

void Shoot(QWidget& widget, const QString& path, const QString& name, int& overflows) {
    widget.show();
    QApplication::processEvents();
    const QPixmap picture = widget.grab();
    std::printf("%s %s (%dx%d)\n", picture.save(path, "PNG") ? "wrote" : "FAILED to write", qPrintable(path),
                picture.width(), picture.height());
    for (const TextOverflow& found : FindTextOverflows(name, &widget)) {
        std::printf("overflow %s: %s \"%s\" needs %d, has %d\n", qPrintable(found.window),
                    qPrintable(found.control), qPrintable(found.text), found.needed, found.available);
        ++overflows;
    }
    widget.hide();
}

// The first row whose device has the capability bits, or 0.
int RowWith(CDlgDevInfo& page, int bits, bool withCloud) {
    for (int row = 0; row < page.List()->GetItemCount(); ++row) {
        const DeviceEntry* entry = page.EntryAt(row);
        if (entry != nullptr && (entry->capabilities & bits) == bits &&
            (!withCloud || (!entry->cloudId.empty() && entry->cloudId != "-- --"))) {
            return row;
        }
    }
    return 0;
}

void RenderIn(CCorvaneDlg& window, const QString& out, const QString& suffix, int& overflows) {
    CDlgDevInfo* page = window.DevInfoPage();
    DeviceEntry sample;
    if (const DeviceEntry* first = page->EntryAt(RowWith(*page, 0x08, false))) {
        sample = *first;
    }
    sample.capabilities |= 0x08;
    CDlgModifyNetworkNew extended(&window);
    extended.SetEntry(sample);
    Shoot(extended, out + "/net-dialog-extended" + suffix + ".png", "net-dialog-extended" + suffix,
          overflows);
    sample.capabilities = 0;
    CDlgModifyNetworkNew shortForm(&window);
    shortForm.SetEntry(sample);
    Shoot(shortForm, out + "/net-dialog-short" + suffix + ".png", "net-dialog-short" + suffix, overflows);
    // An ONVIF device: the long form, its login guarding the change.
    sample.capabilities = DeviceEntry::kAcceptsConfigV3;
    sample.dhcpMode = 2;
    CDlgModifyNetworkNew onvifForm(&window);
    onvifForm.SetEntry(sample, false);
    Shoot(onvifForm, out + "/net-dialog-onvif" + suffix + ".png", "net-dialog-onvif" + suffix, overflows);

    CDlgLoginLocal login(&window);
    LoginPromptRequest request;
    request.captionKey = "msg.Login";
    request.showAddress = true;
    request.address = sample.ip;
    login.SetRequest(request);
    Shoot(login, out + "/login-dialog" + suffix + ".png", "login-dialog" + suffix, overflows);

    CDlgModifyModel model(&window);
    model.SetDevice(sample.mac, sample.model);
    Shoot(model, out + "/model-dialog" + suffix + ".png", "model-dialog" + suffix, overflows);

    CDlgAddAddress addAddress(&window, window.Session());
    Shoot(addAddress, out + "/add-address-dialog" + suffix + ".png", "add-address-dialog" + suffix,
          overflows);

    // The context menu of a device with ONVIF, in model-change mode.
    DeviceEntry menuDevice = sample;
    menuDevice.onvifAvailable = 1;
    menuDevice.capabilities = 0x01;
    menuDevice.operations = NativeOperations(0x01);
    QMenu menu(page);
    page->Actions()->FillMenu(menu, menuDevice, kColMac);
    menu.setLayoutDirection(QApplication::layoutDirection());
    Shoot(menu, out + "/device-menu" + suffix + ".png", "device-menu" + suffix, overflows);

    // The page with the QR picture of a clicked device.
    window.show();
    CMyColorListCtrlEx* list = page->List();
    const int row = RowWith(*page, 0, true);
    const QRect cell = list->visualRect(list->model()->index(row, kColMac));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QApplication::processEvents();
    const QString path = out + "/device-list-qr" + suffix + ".png";
    std::printf("%s %s\n", window.grab().save(path, "PNG") ? "wrote" : "FAILED to write", qPrintable(path));

    // Both families' devices with the columns of what ONVIF tells: family,
    // name, hardware, location (the model and cloud columns make room).
    const uint32_t mask = page->ColumnMask();
    page->OnColumnMask((mask & ~((1U << kColCloud) | (1U << kColVersion))) | (1U << kColFamily) |
                       (1U << kColName) | (1U << kColHardware) | (1U << kColLocation));
    QApplication::processEvents();
    const QString families = out + "/device-list-families" + suffix + ".png";
    std::printf("%s %s\n", window.grab().save(families, "PNG") ? "wrote" : "FAILED to write",
                qPrintable(families));
    page->OnColumnMask(mask);
    QApplication::processEvents();
}

} // namespace

int RenderDeviceListShots(CCorvaneDlg& window, const QString& out) {
    int overflows = 0;
    RenderIn(window, out, {}, overflows);
    for (const int language : {kArabic, kGerman}) {
        window.OnLanguageMessage(language);
        QApplication::processEvents();
        const QString pack = QString::fromStdString(LanguageTable[language].File).section('.', 0, 0);
        RenderIn(window, out, '-' + pack, overflows);
    }
    window.OnLanguageMessage(0);
    QApplication::processEvents();
    std::printf("device list dialogs: %d overflow(s)\n", overflows);
    return overflows;
}

#pragma once
// CDeviceActions: the device list page's actions on one device. The double
// click (web page, login), the QR picture of a clicked device, NET, EXPORT
// and the context menu (login, network change, preview, web page, export,
// model change, copy).
//
// Nothing here waits on the network on the window thread: logins, the CFG
// exchange, the export and the model change run on a pool thread against a
// copy of the device's record, and their results come back queued; the
// record in the session's table is then found again by its MAC. While one
// runs, the page holds a lease on the session's records, so every other
// action, the search and the exit refuse with "info.Configuring_wait".
//
// Tests choose the context menu's command through SetMenuChooser.
#include "devlist/qr_picture_view.h"
#include "discovery/device_entry.h"
#include "discovery/socket_pair.h"
#include "operate/record_lease.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

class CMyColorListCtrlEx;
class DesktopLoginPrompt;
class DeviceSession;
class QLabel;
class QMenu;
class QWidget;

// The context menu's commands.
enum DeviceCommand : int {
    kCmdMainStream = 3001,
    kCmdSubStream = 3002,
    kCmdOpenWeb = 3003,
    kCmdNetwork = 3004,
    kCmdLogin = 3005,
    kCmdExport = 3006,
    kCmdModifyModel = 3007,
    kCmdCopy = 3008,
};

class CDeviceActions : public QObject {
    Q_OBJECT

public:
    // Gets the menu as built, returns the chosen command (0: none).
    using MenuChooser = std::function<int(QMenu& menu)>;

    // page: the owner of the operation flag and of every message; list and
    // qrPicture are the page's.
    CDeviceActions(QWidget* page, DeviceSession& session, CMyColorListCtrlEx* list, QLabel* qrPicture,
                   bool modifyMode);
    ~CDeviceActions() override;

    void OnDoubleClick(int row, int column);
    // The QR picture shows the cloud id of the selected row (the current
    // one among several); no selection, or no cloud id, hides it.
    void ShowQrOfSelection();
    void OnNetButton();
    void OnExportButton();
    void OnContextMenu(int row, int column, const QPoint& globalPos);
    void RunCommand(int command, int row, int column);
    void ClearQrPicture();

    // The menu for a device and column, as shown (items carry their command
    // in their data).
    void FillMenu(QMenu& menu, const DeviceEntry& entry, int column) const;

    static void SetMenuChooser(MenuChooser chooser);

private:
    // false (with the wait message) while any operation runs.
    bool RefuseWhenBusy() const;
    void SetRunning(bool running);
    DeviceEntry* EntryAt(int row) const;
    DeviceEntry* EntryByMac(const std::string& mac) const;
    int RowOf(const std::string& mac) const;
    int FirstSelectedRow() const;
    int SelectedRow() const;
    void SetLoginCell(const std::string& mac, bool loggedIn);

    void OpenWebPage(int row);
    void ChangeNetwork(int row);
    void CopyCell(int row, int column);

    // Logs the device in on a pool thread, then runs next on the window
    // thread with the record (logged in) when the login succeeded; failures
    // show their message and end the operation.
    void LoginThen(int row, bool alreadyIsAnError, std::function<void(DeviceEntry& entry)> next);
    void ShowLoginFailure(int error);
    void Export(DeviceEntry& entry);
    void SaveExport(const std::string& mac, const std::string& version);
    void ChangeModel(DeviceEntry& entry);
    // Where the live preview of a logged-in device opens.
    void OpenPreview(DeviceEntry& entry, int stream);

    // Runs work on a pool thread and then done(result) on the window thread,
    // unless these actions are gone by then.
    template <typename Work, typename Done> void RunOnWorker(Work work, Done done);

    QWidget* m_page;
    DeviceSession& m_session;
    CMyColorListCtrlEx* m_list;
    QrPictureView m_qr;
    bool m_modifyMode;
    DesktopLoginPrompt* m_prompt;
    // Held while an action of this page runs on a record.
    std::unique_ptr<RecordLeases::Lease> m_lease;
};

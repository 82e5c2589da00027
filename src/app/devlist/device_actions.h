#pragma once
// CDeviceActions: the device list page's actions on one device. The double
// click (web page, login), the QR picture of a clicked device, NET, EXPORT
// and the context menu, whose items and their work come from the table of
// device commands (device_commands.h, one file per command).
//
// Nothing here waits on the network on the window thread: logins, the CFG
// exchange, the export and the model change run on a pool thread, and their
// results come back queued; the record in the session's table is then found
// again by its MAC. While one runs, the page holds a lease on the session's
// records, so every other action, the search and the exit refuse with
// "info.Configuring_wait".
//
// Tests choose the context menu's command through SetMenuChooser.
#include "devlist/qr_picture_view.h"
#include "discovery/device_entry.h"
#include "operate/record_lease.h"
#include "ui/run_then.h"

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
    // A command of the table (device_commands.h) on a row.
    void RunCommand(int command, int row, int column);
    void ClearQrPicture();

    // The menu for a device and column, as shown (items carry their command
    // in their data).
    void FillMenu(QMenu& menu, const DeviceEntry& entry, int column) const;

    static void SetMenuChooser(MenuChooser chooser);

    // ---- what the commands work with ----------------------------------
    QWidget* Page() const { return m_page; }
    DeviceSession& Session() const { return m_session; }
    CMyColorListCtrlEx* List() const { return m_list; }
    bool ModifyMode() const { return m_modifyMode; }
    void Tip(const char* key) const;
    // Marks the start and the end of an operation on a record (its lease).
    void SetRunning(bool running);
    DeviceEntry* EntryAt(int row) const;
    DeviceEntry* EntryByMac(const std::string& mac) const;
    int RowOf(const std::string& mac) const;
    // Logs the device in on a pool thread (into the session's logins), then
    // runs next on the window thread with the record when the login
    // succeeded; failures show their message and end the operation. A
    // device already logged in goes to next at once, unless
    // alreadyIsAnError, which says so instead.
    void LoginThen(int row, bool alreadyIsAnError, std::function<void(DeviceEntry& entry)> next);
    // Runs work on a pool thread and then done(result) on the window
    // thread, unless these actions are gone by then.
    template <typename Work, typename Done> void RunOnWorker(Work work, Done done);

    // True (with the wait message) while a search or any operation runs.
    bool RefuseWhenBusy() const;

private:
    int FirstSelectedRow() const;
    int SelectedRow() const;
    void ShowLoginFailure(int error);

    QWidget* m_page;
    DeviceSession& m_session;
    CMyColorListCtrlEx* m_list;
    QrPictureView m_qr;
    bool m_modifyMode;
    DesktopLoginPrompt* m_prompt;
    // Held while an action of this page runs on a record.
    std::unique_ptr<RecordLeases::Lease> m_lease;
};

template <typename Work, typename Done> void CDeviceActions::RunOnWorker(Work work, Done done) {
    // The actions may be gone when the work ends.
    RunThen(this, std::move(work), std::move(done));
}

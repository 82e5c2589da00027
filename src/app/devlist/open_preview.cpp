#include "devlist/open_preview.h"

#include "devlist/dlg_preview.h"
#include "discovery/device_entry.h"
#include "session/device_session.h"

#include <QWidget>

QRect PreviewRectangle(const QRect& mainWindowFrame) {
    return mainWindowFrame.adjusted(30, 20, -30, -15);
}

int OpenPreview(QWidget* mainWindow, DeviceSession& session, DeviceEntry& entry, int stream,
                const std::function<void()>& onClosed, const PreviewSdkCalls& sdk) {
    CDlgPreview preview(mainWindow, session.Logins().Handle(DeviceKey(entry)),
                        QString::fromStdString(entry.ip), stream, sdk);
    if (mainWindow != nullptr) {
        preview.setGeometry(PreviewRectangle(mainWindow->frameGeometry()));
    }
    if (onClosed) {
        QObject::connect(&preview, &CDlgPreview::PreviewClosed, &preview, [&onClosed] { onClosed(); });
    }
    const auto lease = session.HoldRecords();
    preview.Start();
    preview.exec();
    return 1;
}

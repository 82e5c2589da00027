#pragma once
// The open and save file dialogs of the system (firmware, configuration and
// export files). Tests answer them through SetAnswerer, the way CDlgTip is
// answered: while an answerer is installed no dialog is shown, the request
// is handed to it and its file name (empty: cancelled) is returned.
#include <QString>
#include <functional>

class QWidget;

struct FileDialogRequest {
    bool save = false;
    QString caption;
    QString folder; // the folder the dialog starts in
    QString name;   // the proposed file name (save)
    QString filter; // "Firmware (*.bin);;All files (*)"
};

namespace FileDialog {

using Answerer = std::function<QString(const FileDialogRequest&)>;

// The chosen path, or an empty text when the user cancelled.
QString Ask(QWidget* owner, const FileDialogRequest& request);
void SetAnswerer(Answerer answerer);

} // namespace FileDialog

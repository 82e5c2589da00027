#include "ui/file_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace {

FileDialog::Answerer& InstalledAnswerer() {
    static FileDialog::Answerer answerer;
    return answerer;
}

} // namespace

namespace FileDialog {

QString Ask(QWidget* owner, const FileDialogRequest& request) {
    if (InstalledAnswerer()) {
        return InstalledAnswerer()(request);
    }
    if (request.save) {
        const QString start =
            request.name.isEmpty() ? request.folder : QDir(request.folder).filePath(request.name);
        return QFileDialog::getSaveFileName(owner, request.caption, start, request.filter);
    }
    return QFileDialog::getOpenFileName(owner, request.caption, request.folder, request.filter);
}

void SetAnswerer(Answerer answerer) {
    InstalledAnswerer() = std::move(answerer);
}

} // namespace FileDialog

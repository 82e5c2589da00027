#pragma once
// The QR picture of the device list: the cloud id of the selected device,
// drawn into the page's picture label from the QR bitmap written into the
// user's QR folder. Written again only when the id changes.
#include <string>

class QLabel;

class QrPictureView {
public:
    explicit QrPictureView(QLabel* picture);

    // Shows the id's picture; hides it for an empty id, the placeholder
    // "-- --", or when the folder or the bitmap cannot be had.
    void Show(const std::string& cloudId);
    void Clear();

private:
    QLabel* m_picture;
    std::string m_folder;
    std::string m_shownId; // the cloud id the picture shows
};

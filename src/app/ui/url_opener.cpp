#include "ui/url_opener.h"

#include <QDesktopServices>

namespace {

UrlOpener::Opener& InstalledOpener() {
    static UrlOpener::Opener opener;
    return opener;
}

} // namespace

namespace UrlOpener {

bool Open(const QUrl& url) {
    if (InstalledOpener()) {
        return InstalledOpener()(url);
    }
    return QDesktopServices::openUrl(url);
}

void SetOpener(Opener opener) {
    InstalledOpener() = std::move(opener);
}

} // namespace UrlOpener

#pragma once
// Opens a URL with the user's default browser (a device's web page). Tests
// install an opener of their own, so no browser starts.
#include <QUrl>
#include <functional>

namespace UrlOpener {

using Opener = std::function<bool(const QUrl& url)>;

bool Open(const QUrl& url);
// An empty opener puts the desktop's back.
void SetOpener(Opener opener);

} // namespace UrlOpener

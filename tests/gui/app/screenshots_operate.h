#pragma once
// The batch operation page in the screenshots: the page with each of its
// five panels, and an upgrade in progress.
#include <QString>

class CCorvaneDlg;

// Writes operate-<panel><suffix>.png and operate-upgrading<suffix>.png.
void RenderOperatePage(CCorvaneDlg& window, const QString& out, const QString& suffix);

#pragma once
// The search page's interface list with an adapter that is away, for the
// screenshot tool.
#include "text_overflow.h"

#include <QString>
#include <vector>

struct AppConfig;
class QWidget;

// Writes settings-interfaces<suffix>.png: a settings window of its own on
// the search page, whose configuration chose this PC's first interface and
// an unplugged USB adapter (a name of the longest kind, shown as absent), in
// the language in effect. Returns the texts that overflow there.
std::vector<TextOverflow> RenderInterfaceChoice(QWidget* mainWindow, AppConfig config, const QString& out,
                                                const QString& suffix);

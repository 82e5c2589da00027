#pragma once
// Screenshots and checks of the desktop's language polish: right-to-left
// packs, the strip's captions and the help window's legend.
#include <QString>
#include <string>
#include <vector>

class CCorvaneDlg;
class CDlgHelp;

// Gives the help window the main window's colours and pictures and shows it.
void ShowHelpLikeTheProgram(CDlgHelp& help, CCorvaneDlg& window);

// Writes main-window-rtl-<pack>.png and settings-language-rtl-<pack>.png for
// Arabic and Hebrew, strip-<pack>.png for German and Russian and
// help-<pack>.png for German and Arabic. Checks, for English, Persian,
// Arabic and Hebrew, that every label of the main window, the settings
// pages and the batch page stays next to what it labels, and, in all 26
// languages, that the strip's captions and the help legend fit. Faults
// English does not show are counted. Leaves the window in English.
int PolishScreenshots(CCorvaneDlg& window, const QString& out, const std::string& programFolder);

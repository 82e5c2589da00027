#pragma once
// The titles of the pop-up windows and the buttons of the batch page, in
// every language: a title cut short, or a button caption that had to be
// elided, is a fault in any pack, English included.
#include <QString>

class CCorvaneDlg;

// Checks, in all 26 languages, the title of every pop-up window (message,
// login for one device and for a batch, network change, model change,
// settings, channel editor, help) and every button of the batch page's
// frame and of its five panels. Writes popup-titles-<pack>.png of the batch
// login for German, Arabic and Thai. Returns the number of faults; leaves
// the window in English on the device list.
int PopupAndButtonChecks(CCorvaneDlg& window, const QString& out);

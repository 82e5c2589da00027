#pragma once
// The device list's address diagnostics for the screenshot tool.
#include <QString>

class CCorvaneDlg;

// Gives five of the lab's devices an address problem each (two share an
// address, one MAC answered from a second address, one is outside the
// computer's subnet, one has its gateway outside its own), with the
// interface column shown and the conflict row selected, and writes, in
// English and in Arabic, device-list-diagnostics[-<pack>].png: the window
// with the four tool tips below it. The records are put back afterwards.
// Returns the number of texts that overflow their controls.
int RenderDiagnosticsShots(CCorvaneDlg& window, const QString& out);

#pragma once
// The capacity calculator's part of corvane-screenshots.
#include <QString>
#include <string>
#include <vector>

class CCorvaneDlg;

// Writes capacity-page, capacity-editor-add and capacity-editor-modify
// pictures in English and in each language index given (file names carry
// the pack's name), checks their look and lists the texts that overflow
// their controls. Returns the number of failed checks: overflows where
// English fits the same control count, the others are the layout's limit
// and only noted. Leaves the window on its page and language.
int CapacityScreenshots(CCorvaneDlg& window, const QString& out, const std::vector<int>& languages,
                        const std::string& programFolder);

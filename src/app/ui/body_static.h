#pragma once
// A static text on a white page or panel: plain text (device texts are
// never markup), in the body text colour.
class QLabel;
class QWidget;

QLabel* MakeBodyStatic(QWidget* parent, const char* name);

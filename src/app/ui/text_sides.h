#pragma once
// The windows are placed by coordinates written for left-to-right reading
// and are never mirrored, whatever the language. A label whose text is in a
// right-to-left script would still swap its alignment (Qt turns "left" into
// "right" for such a text), so "Devices:" would drift away from its count and
// a caption from its drop-down. Only the text itself runs right to left: the
// label keeps the side it was placed to be read from.
class QWidget;

// Makes the alignment of root and of every label under it absolute.
void KeepTextSides(QWidget* root);

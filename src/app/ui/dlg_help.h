#pragma once
// CDlgHelp: the help window, the logo and the help picture on a background
// of one colour, with a title and a close-look OK button. The picture is a
// wordless diagram with numbered markers 1 to 5; under each marker a
// short text names what it points at, in the window's language.
#include "ui/popup_dialog.h"

#include <QColor>
#include <QPixmap>
#include <array>

class QLabel;

class CDlgHelp : public CPopupDialog {
    Q_OBJECT

public:
    explicit CDlgHelp(QWidget* parent = nullptr);

    // Background and title colours; white and RGB(49,49,49) unless given.
    void SetColours(const QColor& background, const QColor& title);
    // The pictures, either of which may be null (missing skin file).
    void SetPictures(const QPixmap& logo, const QPixmap& help);
    // Sets the texts and the layout (done by DoModal).
    void Prepare();
    int DoModal();

protected:
    void OnCloseButton() override;
    void PaintBody(QPainter& painter) override;
    void OnLanguageChanged() override;

private:
    QColor m_background{255, 255, 255};
    QColor m_titleColour{49, 49, 49};
    QPixmap m_logo;
    QPixmap m_help;
    QLabel* m_icon;
    QLabel* m_picture;
    // "callout1" .. "callout5": the legend of the picture's markers.
    std::array<QLabel*, 5> m_callouts{};
};

#pragma once
// The main window's own title band, 60 pixels high: logo, title, SEARCH,
// device count with its caption, and the HELP, MIN, MAX and Quit buttons.
// Positions are computed from the window's outer width.
#include <QObject>
#include <QPixmap>

class CxSkinButton;
class QFont;
class QLabel;
class QLineEdit;
class QWidget;

class TitleBand : public QObject {
    Q_OBJECT

public:
    static constexpr int kHeight = 60;

    TitleBand(QWidget& window, const QFont& countFont);

    void Layout(int windowWidth);
    // SEARCH text "tx.Search", count caption "tx.dev_num_descri".
    void SetTexts();
    void SetCount(int count);
    // SEARCH shows the disabled bitmap and takes no clicks while a search runs.
    void SetSearching(bool searching);
    void SetLogo(const QPixmap& logo);
    void SetTitle(const QString& title);
    void SetHelpShown(bool shown);

    CxSkinButton* quit;
    CxSkinButton* max;
    CxSkinButton* min;
    CxSkinButton* help;
    CxSkinButton* search;
    QLabel* count;
    QLabel* countCaption;
    QLabel* separator;
    QLabel* logo;
    QLabel* title;
    // Present in the band's layout but hidden at every layout.
    CxSkinButton* addDevice;
    QLineEdit* findEdit;
    CxSkinButton* findButton;

private:
    bool m_helpShown = false;
};

#pragma once
// The program-wide style adjustments: tool tips appear after 600 ms.
#include <QProxyStyle>

class CorvaneStyle : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

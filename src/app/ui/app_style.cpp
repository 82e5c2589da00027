#include "ui/app_style.h"

int CorvaneStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* returnData) const {
    if (hint == QStyle::SH_ToolTip_WakeUpDelay) {
        return 600;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

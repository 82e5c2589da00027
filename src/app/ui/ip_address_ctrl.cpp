#include "ui/ip_address_ctrl.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kFieldDigits = 3;
constexpr int kFieldMaximum = 255;
constexpr int kDotWidth = 6;

// Digits only, at most three, held at 255.
QString CleanField(const QString& text) {
    QString digits;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128 && digits.size() < kFieldDigits) {
            digits += c;
        }
    }
    if (!digits.isEmpty() && digits.toInt() > kFieldMaximum) {
        digits = QString::number(kFieldMaximum);
    }
    return digits;
}

} // namespace

CIpAddressCtrl::CIpAddressCtrl(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    // An address reads left to right in every language.
    setLayoutDirection(Qt::LeftToRight);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("field%1").arg(i));
        field->setFrame(false);
        field->setLayoutDirection(Qt::LeftToRight);
        field->setAlignment(Qt::AlignCenter);
        field->installEventFilter(this);
        const int index = static_cast<int>(i);
        connect(field, &QLineEdit::textEdited, this,
                [this, index](const QString& text) { OnEdited(index, text); });
        m_fields[i] = field;
    }
    for (auto& dot : m_dots) {
        dot = new QLabel(QStringLiteral("."), this);
        dot->setAlignment(Qt::AlignCenter);
    }
}

void CIpAddressCtrl::SetText(const QString& text) {
    for (QLineEdit* field : m_fields) {
        field->clear();
    }
    if (!text.isEmpty()) {
        Spread(0, text);
    }
}

QString CIpAddressCtrl::Text() const {
    if (IsBlank()) {
        return {};
    }
    QStringList parts;
    for (QLineEdit* field : m_fields) {
        parts << QString::number(field->text().toInt());
    }
    return parts.join('.');
}

uint32_t CIpAddressCtrl::Value() const {
    uint32_t value = 0;
    for (QLineEdit* field : m_fields) {
        value = (value << 8) | static_cast<uint32_t>(field->text().toInt() & 0xFF);
    }
    return value;
}

bool CIpAddressCtrl::IsBlank() const {
    for (QLineEdit* field : m_fields) {
        if (!field->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

void CIpAddressCtrl::OnEdited(int index, const QString& text) {
    QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
    if (text.contains('.')) {
        // A pasted address (or the dot typed into a selection): spread it.
        Spread(index, text);
    } else {
        const QString clean = CleanField(text);
        if (clean != text) {
            field->setText(clean);
        }
        if (clean.size() == kFieldDigits && field->cursorPosition() == kFieldDigits && index + 1 < 4) {
            FocusField(index + 1, true);
        }
    }
    emit FieldChanged();
}

void CIpAddressCtrl::Spread(int index, const QString& text) {
    const QStringList parts = text.split('.');
    for (int i = 0; i < parts.size() && index + i < 4; ++i) {
        m_fields[static_cast<std::size_t>(index + i)]->setText(CleanField(parts[i]));
    }
}

void CIpAddressCtrl::FocusField(int index, bool selectAll) {
    QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
    field->setFocus(Qt::OtherFocusReason);
    if (selectAll) {
        field->selectAll();
    } else {
        field->setCursorPosition(static_cast<int>(field->text().size()));
    }
}

int CIpAddressCtrl::IndexOf(const QObject* field) const {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i] == field) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CIpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    const int index = IndexOf(watched);
    if (index >= 0 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
        const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
        if (key->text() == QStringLiteral(".") || key->key() == Qt::Key_Period) {
            if (!field->text().isEmpty() && !field->hasSelectedText() && index + 1 < 4) {
                FocusField(index + 1, true);
            }
            return true; // a dot is never part of a field
        }
        if (key->key() == Qt::Key_Backspace && atStart && index > 0) {
            FocusField(index - 1, false);
            return true;
        }
        if (key->key() == Qt::Key_Right && field->cursorPosition() == field->text().size() && index + 1 < 4) {
            FocusField(index + 1, false);
            m_fields[static_cast<std::size_t>(index + 1)]->setCursorPosition(0);
            return true;
        }
        if (key->key() == Qt::Key_Left && atStart && index > 0) {
            FocusField(index - 1, false);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CIpAddressCtrl::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const int inner = width() - 4;
    const int fieldWidth = (inner - 3 * kDotWidth) / 4;
    int x = 2;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i]->setGeometry(x, 2, fieldWidth, height() - 4);
        x += fieldWidth;
        if (i < m_dots.size()) {
            m_dots[i]->setGeometry(x, 2, kDotWidth, height() - 4);
            x += kDotWidth;
        }
    }
}

void CIpAddressCtrl::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        // A greyed control shows it in its background too.
        setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
    }
}

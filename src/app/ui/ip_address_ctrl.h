#pragma once
// CIpAddressCtrl: the IP address control of the network dialog. Four fields
// of 0..255 separated by dots; "." moves to the next field, Backspace at the
// start of a field goes back to the previous one, a full field moves on, and
// a pasted dotted address fills the fields from the one pasted into.
#include <QFrame>
#include <QString>
#include <array>
#include <cstdint>

class QLineEdit;
class QLabel;

class CIpAddressCtrl : public QFrame {
    Q_OBJECT

public:
    explicit CIpAddressCtrl(QWidget* parent = nullptr);

    // A dotted address; any other text is taken field by field as far as it
    // goes, and an empty text blanks the control.
    void SetText(const QString& text);
    // "a.b.c.d" (blank fields as 0), or empty when every field is blank.
    QString Text() const;
    // Host order, first field most significant; 0 when blank.
    uint32_t Value() const;
    bool IsBlank() const;
    QLineEdit* Field(int index) const { return m_fields[static_cast<std::size_t>(index)]; }

signals:
    // The user changed a field (typing or pasting), not SetText.
    void FieldChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnEdited(int index, const QString& text);
    // Fills the fields from index on with the parts of a dotted text.
    void Spread(int index, const QString& text);
    void FocusField(int index, bool selectAll);
    int IndexOf(const QObject* field) const;

    std::array<QLineEdit*, 4> m_fields{};
    std::array<QLabel*, 3> m_dots{};
};

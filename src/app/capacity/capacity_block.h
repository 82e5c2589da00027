#pragma once
// One calculation block of the calculator page: a caption over a separator,
// two number edits with their labels and units, and the result under its
// label. The page has two: days from a disk size, and a disk size from days.
// Each edit keeps its number within its limits on every change (an emptied
// edit becomes the minimum) and then reports the change.
#include <QWidget>
#include <cstdint>

class QFrame;
class QLabel;
class QLineEdit;

struct CapacityEditSpec {
    const char* labelKey;
    const char* unitKey;
    const char* editName; // object name
    int64_t minimum;
    int64_t maximum;
};

struct CapacityBlockSpec {
    const char* captionKey;
    CapacityEditSpec first;
    CapacityEditSpec second;
    const char* resultLabelKey;
    const char* resultName; // object name of the result static
};

class CCapacityBlock : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 235;

    CCapacityBlock(QWidget* parent, const CapacityBlockSpec& spec, const QFont& resultFont);

    void OnLanguageChanged();
    // The numbers of the two edits (empty text reads as 0).
    int32_t FirstValue() const;
    int32_t SecondValue() const;
    void SetResult(const QString& text);
    QString Result() const;

signals:
    void ValuesChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* MakeStatic(const char* name);
    QLineEdit* MakeEdit(const CapacityEditSpec& spec);

    CapacityBlockSpec m_spec;
    QLabel* m_caption;
    QFrame* m_separator;
    QLabel* m_firstLabel;
    QLineEdit* m_firstEdit;
    QLabel* m_firstUnit;
    QLabel* m_secondLabel;
    QLineEdit* m_secondEdit;
    QLabel* m_secondUnit;
    QLabel* m_resultLabel;
    QLabel* m_result;
};

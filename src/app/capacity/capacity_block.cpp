#include "capacity/capacity_block.h"

#include "ui/body_static.h"
#include "ui/edit_rules.h"
#include "ui/lang_text.h"
#include "util/tool.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace {

const QColor kResultColour(88, 109, 175);
const QColor kSeparatorColour(200, 204, 210);

int32_t EditNumber(const QLineEdit& edit) {
    return Tool::ToInt(edit.text().toStdString());
}

} // namespace

CCapacityBlock::CCapacityBlock(QWidget* parent, const CapacityBlockSpec& spec, const QFont& resultFont)
    : QWidget(parent), m_spec(spec), m_caption(MakeStatic("caption")), m_separator(new QFrame(this)),
      m_firstLabel(MakeStatic("firstLabel")), m_firstEdit(MakeEdit(spec.first)),
      m_firstUnit(MakeStatic("firstUnit")), m_secondLabel(MakeStatic("secondLabel")),
      m_secondEdit(MakeEdit(spec.second)), m_secondUnit(MakeStatic("secondUnit")),
      m_resultLabel(MakeStatic("resultLabel")), m_result(MakeStatic(spec.resultName)) {
    m_separator->setObjectName("separator");
    // A 1-pixel line: a frame of one line width, drawn plain in the line colour.
    m_separator->setFrameShape(QFrame::HLine);
    m_separator->setFrameShadow(QFrame::Plain);
    m_separator->setLineWidth(1);
    QPalette lineColours = m_separator->palette();
    lineColours.setColor(QPalette::WindowText, kSeparatorColour);
    m_separator->setPalette(lineColours);
    m_result->setFont(resultFont);
    m_result->setAlignment(Qt::AlignCenter);
    QPalette colours = m_result->palette();
    colours.setColor(QPalette::WindowText, kResultColour);
    m_result->setPalette(colours);

    // Places inside the block.
    m_caption->setGeometry(20, 20, kWidth - 40, 20);
    m_separator->setGeometry(10, 41, kWidth - 20, 1);
    m_firstLabel->setGeometry(20, 69, 135, 20);
    m_secondLabel->setGeometry(20, 107, 135, 20);
    m_resultLabel->setGeometry(20, 163, 135, 20);
    m_firstEdit->setGeometry(165, 61, 80, 28);
    m_secondEdit->setGeometry(165, 99, 80, 28);
    m_firstUnit->setGeometry(250, 69, 41, 20);
    m_secondUnit->setGeometry(250, 107, 41, 20);
    m_result->setGeometry(5, 193, 290, 28);
    OnLanguageChanged();
}

QLabel* CCapacityBlock::MakeStatic(const char* name) {
    return MakeBodyStatic(this, name);
}

QLineEdit* CCapacityBlock::MakeEdit(const CapacityEditSpec& spec) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(spec.editName);
    connect(edit, &QLineEdit::textChanged, this, [this, edit, spec] {
        // Rewriting the text raises this again with the clamped text, which
        // then stays as it is; the change is reported once it is in range.
        const QString before = edit->text();
        Tool::ClampEditNumber(*edit, spec.minimum, spec.maximum);
        if (edit->text() == before) {
            emit ValuesChanged();
        }
    });
    return edit;
}

void CCapacityBlock::OnLanguageChanged() {
    m_caption->setText(LangText(m_spec.captionKey));
    m_firstLabel->setText(LangText(m_spec.first.labelKey));
    m_firstUnit->setText(LangText(m_spec.first.unitKey));
    m_secondLabel->setText(LangText(m_spec.second.labelKey));
    m_secondUnit->setText(LangText(m_spec.second.unitKey));
    m_resultLabel->setText(LangText(m_spec.resultLabelKey));
}

int32_t CCapacityBlock::FirstValue() const {
    return EditNumber(*m_firstEdit);
}

int32_t CCapacityBlock::SecondValue() const {
    return EditNumber(*m_secondEdit);
}

void CCapacityBlock::SetResult(const QString& text) {
    m_result->setText(text);
}

QString CCapacityBlock::Result() const {
    return m_result->text();
}

void CCapacityBlock::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

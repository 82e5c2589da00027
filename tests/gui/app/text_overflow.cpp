#include "text_overflow.h"

#include "lang/text_table.h"
#include "ui/skin_button.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QStyle>
#include <QStyleOption>
#include <QTreeWidget>
#include <algorithm>

namespace {

// CxSkinButton narrows its caption rectangle by this much on each side.
constexpr int kSkinCaptionInset = 2;

// Width of the widest line of text.
int TextWidth(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split('\n')) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return widest;
}

// A name for widget that stays the same from one language to the next:
// its object name, else its class and its place among its siblings.
QString NameOf(const QWidget* widget) {
    if (!widget->objectName().isEmpty()) {
        return widget->objectName();
    }
    int place = 0;
    if (const QObject* parent = widget->parent()) {
        for (const QObject* sibling : parent->children()) {
            if (sibling == widget) {
                break;
            }
            if (sibling->metaObject() == widget->metaObject()) {
                ++place;
            }
        }
    }
    return QStringLiteral("%1#%2").arg(QString::fromLatin1(widget->metaObject()->className())).arg(place);
}

QString PathOf(const QWidget* widget, const QWidget* root) {
    QString path = NameOf(widget);
    for (const QWidget* up = widget->parentWidget(); up != nullptr && up != root; up = up->parentWidget()) {
        path = NameOf(up) + '/' + path;
    }
    return path;
}

class Collector {
public:
    Collector(const QString& window, QWidget* root) : m_window(window), m_root(root) {}

    void Visit(QWidget* widget) {
        if (auto* skin = qobject_cast<CxSkinButton*>(widget)) {
            VisitSkinButton(skin);
        } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            VisitCheckBox(box);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            VisitButton(button);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            VisitLabel(label);
        } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
            VisitHeader(header);
        }
        if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
            VisitTree(tree);
        }
    }

    std::vector<TextOverflow> Take() { return std::move(m_found); }

private:
    void Add(const QWidget* widget, const QString& suffix, const char* kind, const QString& text, int needed,
             int available) {
        if (!text.isEmpty() && needed > available) {
            m_found.push_back({m_window, PathOf(widget, m_root) + suffix, QString::fromLatin1(kind), text,
                               needed, available});
        }
    }

    void VisitSkinButton(CxSkinButton* button) {
        const QString text = button->text();
        const CaptionFit fit = button->FittedCaption();
        const QRect area = button->CaptionRect();
        if (fit.elided) {
            Add(button, {}, "skin button", text, TextWidth(button->fontMetrics(), text),
                button->width() - 2 * kSkinCaptionInset);
            return;
        }
        // Every line, in the font it is drawn in, within the width, all within the height.
        const QFontMetrics metrics(fit.font);
        Add(button, {}, "skin button", text, TextWidth(metrics, fit.lines.join('\n')), area.width());
        if (fit.lines.size() > 1) {
            Add(button, QStringLiteral(" (height)"), "skin button", text,
                static_cast<int>(fit.lines.size()) * metrics.height(), area.height());
        }
    }

    void VisitCheckBox(QCheckBox* box) {
        QStyleOptionButton option;
        option.initFrom(box);
        const QStyle* style = box->style();
        int decoration = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, box) +
                         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, box);
        if (!box->icon().isNull()) {
            decoration += box->iconSize().width() + 4;
        }
        const QString text = box->text();
        Add(box, {}, "check box", text, decoration + TextWidth(box->fontMetrics(), text), box->width());
    }

    void VisitButton(QAbstractButton* button) {
        const QString text = button->text();
        const int content = TextWidth(button->fontMetrics(), text);
        // The style's own size for the button minus the text it measured
        // is what its frame, margins and icon take.
        const int decoration = std::max(0, button->sizeHint().width() - content);
        Add(button, {}, "button", text, decoration + content, button->width());
    }

    void VisitLabel(QLabel* label) {
        const QString text = label->text();
        if (text.isEmpty() || label->textFormat() == Qt::RichText) {
            return;
        }
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                          -label->margin());
        if (label->wordWrap()) {
            // A wrapping label overflows when its lines need more height.
            const QRect needed = label->fontMetrics().boundingRect(
                room, static_cast<int>(label->alignment()) | Qt::TextWordWrap, text);
            Add(label, QStringLiteral(" (height)"), "label", text, needed.height(), room.height());
            return;
        }
        Add(label, {}, "label", text, TextWidth(label->fontMetrics(), text), room.width());
    }

    void VisitHeader(QHeaderView* header) {
        if (header->model() == nullptr || header->orientation() != Qt::Horizontal) {
            return;
        }
        for (int logical = 0; logical < header->count(); ++logical) {
            if (!header->isSectionHidden(logical)) {
                VisitSection(header, logical, header->sectionSize(logical));
            }
        }
    }

public:
    // A header section measured against a width given: a hidden column
    // has none of its own.
    void VisitSection(QHeaderView* header, int logical, int available) {
        QStyleOptionHeader option;
        option.initFrom(header);
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, &option, header);
        const QString text = header->model()->headerData(logical, Qt::Horizontal).toString();
        int decoration = 2 * margin;
        if (header->isSortIndicatorShown() && header->sortIndicatorSection() == logical) {
            decoration += header->style()->pixelMetric(QStyle::PM_HeaderMarkSize, &option, header) + margin;
        }
        Add(header, QStringLiteral("[%1]").arg(logical), "header", text,
            decoration + TextWidth(QFontMetrics(header->font()), text), available);
    }

private:
    void VisitTree(QTreeWidget* tree) {
        const int right = tree->viewport()->width();
        const int textMargin = tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1;
        for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
            QTreeWidgetItem* item = *it;
            const QRect cell = tree->visualItemRect(item);
            if (cell.isEmpty() || item->isHidden()) {
                continue;
            }
            int decoration = 2 * textMargin;
            if (!item->icon(0).isNull()) {
                decoration += tree->iconSize().isValid()
                                  ? tree->iconSize().width() + 2 * textMargin
                                  : tree->style()->pixelMetric(QStyle::PM_SmallIconSize);
            }
            const QString text = item->text(0);
            const QFontMetrics metrics(item->font(0));
            const QModelIndex index = tree->indexFromItem(item);
            Add(tree, QStringLiteral("/item[%1.%2]").arg(index.parent().row()).arg(index.row()), "tree item",
                text, decoration + TextWidth(metrics, text), std::min(cell.right() + 1, right) - cell.left());
        }
    }

    QString m_window;
    QWidget* m_root;
    std::vector<TextOverflow> m_found;
};

} // namespace

std::vector<TextOverflow> FindTextOverflows(const QString& window, QWidget* root) {
    Collector collector(window, root);
    collector.Visit(root);
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (widget->window() == root->window() && widget->isVisibleTo(root)) {
            collector.Visit(widget);
        }
    }
    return collector.Take();
}

std::vector<TextOverflow> FindHiddenSectionOverflows(const QString& window, QWidget* root,
                                                     QHeaderView* header,
                                                     const std::function<int(int)>& widthOf) {
    Collector collector(window, root);
    for (int logical = 0; header->model() != nullptr && logical < header->count(); ++logical) {
        if (header->isSectionHidden(logical)) {
            collector.VisitSection(header, logical, widthOf(logical));
        }
    }
    return collector.Take();
}

namespace {

// The partner of label among its visible siblings, and whether it is below.
QWidget* PartnerOf(QLabel* label, bool& below) {
    constexpr int kRowGap = 20;   // label box to partner on the same row
    constexpr int kBelowGap = 12; // caption above its control
    const QRect own = label->geometry();
    QWidget* best = nullptr;
    int bestDistance = 0;
    for (QObject* child : label->parentWidget()->children()) {
        auto* other = qobject_cast<QWidget*>(child);
        if (other == nullptr || other == label || other->isHidden() || other->isWindow()) {
            continue;
        }
        const QRect place = other->geometry();
        const int overlap = std::min(own.bottom(), place.bottom()) - std::max(own.top(), place.top());
        const bool sameRow = overlap * 2 >= std::min(own.height(), place.height());
        const int across = place.left() - own.right() - 1;
        const int down = place.top() - own.bottom() - 1;
        constexpr int kNoPartner = -2;
        int distance = kNoPartner;
        bool isBelow = false;
        if (sameRow && across >= -1 && across <= kRowGap) {
            distance = across;
        } else if (down >= -1 && down <= kBelowGap && std::abs(place.left() - own.left()) <= 4) {
            distance = down;
            isBelow = true;
        }
        if (distance != kNoPartner && (best == nullptr || distance < bestDistance)) {
            best = other;
            bestDistance = distance;
            below = isBelow;
        }
    }
    return best;
}

} // namespace

std::pair<int, int> InkColumns(QLabel* label) {
    QImage image(label->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    label->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qAlpha(image.pixel(x, y)) > 64) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

std::vector<TextOverflow> FindDetachedLabels(const QString& window, QWidget* root) {
    constexpr int kTolerance = 4; // side bearings and rounding of the ink
    std::vector<TextOverflow> found;
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(root) || label->text().isEmpty() || label->wordWrap() ||
            label->textFormat() == Qt::RichText) {
            continue;
        }
        bool below = false;
        QWidget* partner = PartnerOf(label, below);
        const auto [first, last] = InkColumns(label);
        if (partner == nullptr || first < 0) {
            continue;
        }
        const QRect own = label->geometry();
        const int room =
            std::max(0, label->contentsRect().width() - TextWidth(label->fontMetrics(), label->text()));
        const Qt::Alignment written = label->alignment() & Qt::AlignHorizontal_Mask;
        int gap = 0;
        int allowed = 0;
        if (below) {
            // Read from the left edge down into the control.
            gap = own.left() + first - partner->x();
            allowed = written.testFlag(Qt::AlignRight)     ? room
                      : written.testFlag(Qt::AlignHCenter) ? room / 2
                                                           : 0;
        } else {
            gap = partner->x() - (own.left() + last + 1);
            allowed = (partner->x() - own.right() - 1) + (written.testFlag(Qt::AlignRight)     ? 0
                                                          : written.testFlag(Qt::AlignHCenter) ? room / 2
                                                                                               : room);
        }
        if (gap > allowed + kTolerance) {
            found.push_back({window, PathOf(label, root) + QStringLiteral(" -> ") + PathOf(partner, root),
                             QStringLiteral("adjacency"), label->text(), gap, allowed});
        }
    }
    return found;
}

PackKeyIndex::PackKeyIndex(const std::string& packPath) {
    for (const auto& [key, text] : ReadPackFile(packPath)) {
        QString& keys = m_keyOfText[QString::fromStdString(text)];
        keys += (keys.isEmpty() ? QString() : QStringLiteral("|")) + QString::fromStdString(key);
    }
}

QString PackKeyIndex::KeyOf(const QString& text) const {
    const auto found = m_keyOfText.find(text);
    return found == m_keyOfText.end() ? QString() : found->second;
}

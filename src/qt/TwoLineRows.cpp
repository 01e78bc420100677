#include "TwoLineRows.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

namespace {

const QString& textOf(const std::vector<QString>& texts, std::size_t part) {
    static const QString none;
    return part < texts.size() ? texts[part] : none;
}

// Draws the parts' texts in two lines inside the rect: a left part is shortened with "..."
// where its line is too short, a right part is never cut.
void drawParts(QPainter* painter, const QRect& rect, const QFontMetrics& metrics,
               const std::vector<TwoLinePlan::Place>& parts, const std::vector<QString>& texts) {
    const int lineHeight = metrics.height();
    const int top = rect.top() + std::max(0, (rect.height() - 2 * lineHeight) / 2);
    for (int line = 0; line < 2; ++line) {
        const QRect lineRect(rect.left(), top + line * lineHeight, rect.width(), lineHeight);
        int leftRoom = lineRect.width();
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].line != line || !parts[i].right) continue;
            const QString& text = textOf(texts, i);
            leftRoom -= metrics.horizontalAdvance(text) + orvane::kTwoLinePartGap;
            painter->drawText(lineRect, Qt::AlignRight | Qt::AlignVCenter, text);
        }
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].line != line || parts[i].right) continue;
            const QString shown =
                metrics.elidedText(textOf(texts, i), Qt::ElideRight, std::max(0, leftRoom));
            painter->drawText(
                QRect(lineRect.left(), lineRect.top(), std::max(0, leftRoom), lineHeight),
                Qt::AlignLeft | Qt::AlignVCenter, shown);
        }
    }
}

int textMargin(const QWidget* widget) {
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

// The room a two-line cell needs for its parts' texts.
int twoLineWidth(const QFontMetrics& metrics, const std::vector<TwoLinePlan::Place>& parts,
                 const std::vector<QString>& texts) {
    std::vector<int> widths;
    for (std::size_t i = 0; i < parts.size(); ++i)
        widths.push_back(metrics.horizontalAdvance(textOf(texts, i)));
    return orvane::TwoLineWidth(parts, widths);
}

} // namespace

TwoLineDelegate::TwoLineDelegate(SharedPlan plan, QObject* parent)
    : QStyledItemDelegate(parent), m_plan(std::move(plan)) {}

void TwoLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const std::vector<TwoLinePlan::Place> parts = m_plan->PartsOf(index.column());
    if (parts.empty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    item.text.clear(); // the background, selection and focus as Qt draws them; the texts here
    const QWidget* widget = item.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    std::vector<QString> texts;
    for (const TwoLinePlan::Place& p : parts)
        texts.push_back(index.siblingAtColumn(p.column).data(Qt::DisplayRole).toString());
    const QPalette::ColorGroup group = !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (item.state & QStyle::State_Active) ? QPalette::Normal
                                                                             : QPalette::Inactive;
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(
        group, (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    const int margin = textMargin(widget);
    drawParts(painter, item.rect.adjusted(margin, 0, -margin, 0), item.fontMetrics, parts, texts);
    painter->restore();
}

QSize TwoLineDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (m_plan->Empty()) return size;
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    // Every cell of a two-line list is two lines high, so rows stay alike.
    size.setHeight(std::max(size.height(), 2 * item.fontMetrics.height() + 2));
    const std::vector<TwoLinePlan::Place> parts = m_plan->PartsOf(index.column());
    if (!parts.empty()) {
        std::vector<QString> texts;
        for (const TwoLinePlan::Place& p : parts)
            texts.push_back(index.siblingAtColumn(p.column).data(Qt::DisplayRole).toString());
        size.setWidth(twoLineWidth(item.fontMetrics, parts, texts) + 2 * textMargin(item.widget));
    }
    return size;
}

TwoLineHeader::TwoLineHeader(SharedPlan plan, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_plan(std::move(plan)) {}

void TwoLineHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    const std::vector<TwoLinePlan::Place> parts = m_plan->PartsOf(logicalIndex);
    if (parts.empty() || model() == nullptr) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    option.text.clear();
    // The style leaves an empty clip behind where the painter had none: kept apart.
    painter->save();
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();
    std::vector<QString> texts;
    for (const TwoLinePlan::Place& p : parts)
        texts.push_back(model()->headerData(p.column, Qt::Horizontal).toString());
    painter->save();
    painter->setPen(option.palette.color(QPalette::ButtonText));
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    drawParts(painter, rect.adjusted(margin, 0, -margin, 0), fontMetrics(), parts, texts);
    painter->restore();
}

QSize TwoLineHeader::sectionSizeFromContents(int logicalIndex) const {
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    if (m_plan->Empty() || model() == nullptr) return size;
    size.setHeight(std::max(size.height(), 2 * fontMetrics().height() + 4));
    const std::vector<TwoLinePlan::Place> parts = m_plan->PartsOf(logicalIndex);
    if (!parts.empty()) {
        std::vector<QString> texts;
        for (const TwoLinePlan::Place& p : parts)
            texts.push_back(model()->headerData(p.column, Qt::Horizontal).toString());
        const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
        size.setWidth(twoLineWidth(fontMetrics(), parts, texts) + 2 * margin);
    }
    return size;
}

#include "TwoLineRows.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

namespace {

// Between a line's left and right parts.
constexpr int kPartGap = 10;

int columnOf(const std::vector<QString>& headings, const char* heading) {
    for (std::size_t i = 0; i < headings.size(); ++i)
        if (headings[i] == QLatin1String(heading)) return static_cast<int>(i);
    return -1;
}

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
            leftRoom -= metrics.horizontalAdvance(text) + kPartGap;
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

} // namespace

TwoLinePlan TwoLinePlan::forHeadings(const std::vector<QString>& headings) {
    // The call log: the name above its number, the date above the time and the duration.
    const int name = columnOf(headings, "Name");
    const int number = columnOf(headings, "Number");
    const int date = columnOf(headings, "Date");
    const int time = columnOf(headings, "Time");
    const int duration = columnOf(headings, "Duration");
    if (name < 0 || number < 0 || date < 0 || time < 0 || duration < 0) return {};
    TwoLinePlan plan;
    plan.places = {{name, name, 0, false},
                   {number, name, 1, false},
                   {date, date, 0, false},
                   {time, date, 1, false},
                   {duration, date, 1, true}};
    return plan;
}

bool TwoLinePlan::movedAway(int column) const {
    return std::any_of(places.begin(), places.end(),
                       [&](const Place& p) { return p.column == column && p.shownIn != column; });
}

std::vector<TwoLinePlan::Place> TwoLinePlan::partsOf(int shownIn) const {
    std::vector<Place> parts;
    for (const Place& p : places)
        if (p.shownIn == shownIn) parts.push_back(p);
    return parts;
}

int twoLineWidth(const QFontMetrics& metrics, const std::vector<TwoLinePlan::Place>& parts,
                 const std::vector<QString>& texts) {
    int widest = 0;
    for (int line = 0; line < 2; ++line) {
        int width = 0;
        int count = 0;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].line != line) continue;
            width += metrics.horizontalAdvance(textOf(texts, i)) + (count++ > 0 ? kPartGap : 0);
        }
        widest = std::max(widest, width);
    }
    return widest;
}

TwoLineDelegate::TwoLineDelegate(SharedPlan plan, QObject* parent)
    : QStyledItemDelegate(parent), m_plan(std::move(plan)) {}

void TwoLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const std::vector<TwoLinePlan::Place> parts = m_plan->partsOf(index.column());
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
    if (m_plan->empty()) return size;
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    // Every cell of a two-line list is two lines high, so rows stay alike.
    size.setHeight(std::max(size.height(), 2 * item.fontMetrics.height() + 2));
    const std::vector<TwoLinePlan::Place> parts = m_plan->partsOf(index.column());
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
    const std::vector<TwoLinePlan::Place> parts = m_plan->partsOf(logicalIndex);
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
    if (m_plan->empty() || model() == nullptr) return size;
    size.setHeight(std::max(size.height(), 2 * fontMetrics().height() + 4));
    const std::vector<TwoLinePlan::Place> parts = m_plan->partsOf(logicalIndex);
    if (!parts.empty()) {
        std::vector<QString> texts;
        for (const TwoLinePlan::Place& p : parts)
            texts.push_back(model()->headerData(p.column, Qt::Horizontal).toString());
        const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
        size.setWidth(twoLineWidth(fontMetrics(), parts, texts) + 2 * margin);
    }
    return size;
}

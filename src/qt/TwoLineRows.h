// Rows of two text lines for a list whose columns do not fit its width side by side (the
// call log: six columns in a window a third as wide). Some columns then stand below or
// beside another one, in that column's cell and heading, and are hidden as columns of
// their own: the model, its column numbers and its headings stay as they are, only the
// drawing changes. Without a plan the delegate and header draw as Qt's own.
#pragma once

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <memory>
#include <vector>

// Where each of a list's columns is drawn when its rows have two lines.
struct TwoLinePlan {
    struct Place {
        int column = 0;     // the model's column
        int shownIn = 0;    // the column whose cell draws it
        int line = 0;       // 0 the upper, 1 the lower
        bool right = false; // at the right end of its line, after a left part
    };
    std::vector<Place> places;

    bool empty() const { return places.empty(); }
    // The plan for a list with these headings, if it has one; else an empty plan.
    static TwoLinePlan forHeadings(const std::vector<QString>& headings);
    // True for a column drawn in another column's cell.
    bool movedAway(int column) const;
    // The parts a shown column draws; empty for one drawn as usual.
    std::vector<Place> partsOf(int shownIn) const;
};

// Shared by a list's delegate and header, which draw the same plan.
using SharedPlan = std::shared_ptr<TwoLinePlan>;

// The room a two-line cell needs for its parts' texts.
int twoLineWidth(const QFontMetrics& metrics, const std::vector<TwoLinePlan::Place>& parts,
                 const std::vector<QString>& texts);

class TwoLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    TwoLineDelegate(SharedPlan plan, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    SharedPlan m_plan;
};

class TwoLineHeader : public QHeaderView {
    Q_OBJECT
  public:
    TwoLineHeader(SharedPlan plan, QWidget* parent);

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

  private:
    SharedPlan m_plan;
};

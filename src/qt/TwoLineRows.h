// Rows of two text lines for a list whose columns do not fit its width side by side (the
// call log: six columns in a window a third as wide). Some columns then stand below or
// beside another one, in that column's cell and heading, and are hidden as columns of
// their own: the model, its column numbers and its headings stay as they are, only the
// drawing changes (the plan: TwoLinePlan). Without a plan the delegate and header draw as
// Qt's own.
#pragma once

#include "TwoLinePlan.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <memory>
#include <vector>

using TwoLinePlan = orvane::TwoLinePlan;

// Shared by a list's delegate and header, which draw the same plan.
using SharedPlan = std::shared_ptr<TwoLinePlan>;

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

// One report-view list of the face model as a Qt item model. Rows are read straight from
// the face model; the view is told about appended rows one step at a time and is rebuilt
// only when the list's reset counter moved, so a long list stays fast while it fills.
#pragma once

#include "FaceModel.h"
#include "TwoLineRows.h"

#include <QAbstractTableModel>
#include <cstdint>

class FaceListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    FaceListModel(const orvane::FaceModel& face, int listId, QObject* parent = nullptr);

    // Brings the rows the view knows in step with the face model. True when the view was
    // rebuilt (column widths must be set again).
    bool catchUp();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Where the view draws columns when rows have two lines: a cell that shows others'
    // texts too tells them all to a screen reader and in its tip.
    void setTwoLinePlan(SharedPlan plan) { m_twoLines = std::move(plan); }

  private:
    const orvane::ListData& list() const { return m_face.List(m_listId); }

    const orvane::FaceModel& m_face;
    int m_listId = 0;
    int m_rows = 0;
    int m_columns = 0;
    std::uint64_t m_resetCount = 0;
    SharedPlan m_twoLines;
};

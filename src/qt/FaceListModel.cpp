#include "FaceListModel.h"

#include "FaceIds.h"
#include "ModelText.h"
#include "Skin.h"

namespace {

Qt::Alignment toQt(orvane::Align align) {
    switch (align) {
    case orvane::Align::Center: return Qt::AlignHCenter | Qt::AlignVCenter;
    case orvane::Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case orvane::Align::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace

FaceListModel::FaceListModel(const orvane::FaceModel& face, int listId, QObject* parent)
    : QAbstractTableModel(parent), m_face(face), m_listId(listId) {
    m_rows = static_cast<int>(list().rows.size());
    m_columns = static_cast<int>(list().columns.size());
    m_resetCount = list().resetCount;
}

bool FaceListModel::catchUp() {
    const orvane::ListData& l = list();
    const int rows = static_cast<int>(l.rows.size());
    const int columns = static_cast<int>(l.columns.size());
    if (l.resetCount != m_resetCount || rows < m_rows || columns != m_columns) {
        beginResetModel();
        m_rows = rows;
        m_columns = columns;
        m_resetCount = l.resetCount;
        endResetModel();
        return true;
    }
    // The newest row may have got its other columns since the view last looked.
    if (m_rows > 0 && m_columns > 0)
        emit dataChanged(index(m_rows - 1, 0), index(m_rows - 1, m_columns - 1));
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    }
    return false;
}

int FaceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int FaceListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant FaceListModel::data(const QModelIndex& index, int role) const {
    const orvane::ListData& l = list();
    if (!index.isValid() || index.row() >= static_cast<int>(l.rows.size()) ||
        index.column() >= static_cast<int>(l.columns.size()))
        return {};
    const orvane::ListRow& row = l.rows[static_cast<std::size_t>(index.row())];
    const std::size_t column = static_cast<std::size_t>(index.column());
    auto textOf = [&](std::size_t i) {
        return i < row.texts.size() ? modeltext::toQt(row.texts[i]) : QString();
    };
    switch (role) {
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        if (m_twoLines != nullptr) {
            const auto parts = m_twoLines->PartsOf(index.column());
            if (!parts.empty()) {
                QString lines[2];
                for (const TwoLinePlan::Place& p : parts) {
                    QString& line = lines[p.line != 0 ? 1 : 0];
                    if (!line.isEmpty()) line += QLatin1Char(' ');
                    line += textOf(static_cast<std::size_t>(p.column));
                }
                return lines[1].isEmpty() ? lines[0] : lines[0] + QLatin1Char('\n') + lines[1];
            }
        }
        return textOf(column);
    case Qt::DisplayRole: return textOf(column);
    case Qt::TextAlignmentRole: return static_cast<int>(toQt(l.columns[column].align));
    case Qt::DecorationRole: {
        if (column != 0) return {};
        const int icon = orvane::ListIcon(l.imageList, row.image);
        if (icon == 0) return {};
        return orvane::skin::Icon(icon);
    }
    default: return {};
    }
}

QVariant FaceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const orvane::ListData& l = list();
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(l.columns.size()))
        return {};
    const orvane::ListColumn& column = l.columns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) return modeltext::toQt(column.heading);
    if (role == Qt::TextAlignmentRole) return static_cast<int>(toQt(column.align));
    return {};
}

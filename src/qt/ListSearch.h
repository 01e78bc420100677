// The search of the phonebook and call log on the face: letters typed while such a list
// has the focus keep only the rows whose name or number holds them. The rows stay the
// rows the phone sent (only hidden), so a click still picks the record it shows.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <map>

class DialerWindow;
class QLabel;
class QTreeView;

class ListSearch : public QObject {
    Q_OBJECT
  public:
    explicit ListSearch(DialerWindow& window, QObject* parent = nullptr);

    // Follows the lists after an event of the dialog: new rows are searched too, and a
    // list that went off the face forgets its search.
    void update();
    // The search text of a list (its control id); empty when none.
    QString text(int listId) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Search {
        QTreeView* tree = nullptr;
        QLabel* label = nullptr;
        QString text;
        int rows = -1;       // rows the search was last applied to
        bool hiding = false; // rows may be hidden by the last search
        std::uint64_t resetCount = 0;
    };
    void attach(int listId);
    void setText(int listId, const QString& text);
    void apply(int listId);

    DialerWindow& m_window;
    std::map<int, Search> m_searches;
};

#include "ListSearch.h"

#include "DialerWindow.h"
#include "ModelText.h"
#include "CDialerDlg.h"
#include "FaceIds.h"
#include "ListFilter.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTreeView>
#include <vector>

ListSearch::ListSearch(DialerWindow& window, QObject* parent) : QObject(parent), m_window(window) {}

void ListSearch::attach(int id) {
    // Once the list is first shown: the window makes its widgets only when needed.
    auto* tree = qobject_cast<QTreeView*>(m_window.control(id));
    if (tree == nullptr) return;
    Search& s = m_searches[id];
    s.tree = tree;
    // Installed after the window's own filter, so this one sees the keys first.
    tree->installEventFilter(this);
    s.label = new QLabel(tree);
    s.label->setTextFormat(Qt::PlainText);
    s.label->setAttribute(Qt::WA_TransparentForMouseEvents);
    s.label->setStyleSheet(QStringLiteral("QLabel { color: white; background: #1f4f7a; "
                                          "border-radius: 3px; padding: 1px 4px; }"));
    s.label->hide();
}

QString ListSearch::text(int listId) const {
    auto it = m_searches.find(listId);
    return it != m_searches.end() ? it->second.text : QString();
}

bool ListSearch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    int id = 0;
    for (auto& [listId, s] : m_searches)
        if (s.tree == watched) id = listId;
    if (id == 0) return false;
    Search& s = m_searches[id];
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier && mods != Qt::ShiftModifier) return false;
    if (!s.text.isEmpty() && key->key() == Qt::Key_Escape) {
        setText(id, QString());
        return true;
    }
    if (!s.text.isEmpty() && key->key() == Qt::Key_Backspace) {
        setText(id, s.text.chopped(1));
        return true;
    }
    const QString typed = key->text();
    if (typed.size() != 1 || !typed.at(0).isPrint()) return false;
    // A letter starts a search; once one runs, digits, blanks and signs join it (before
    // that they are the keypad's).
    if (s.text.isEmpty() && !typed.at(0).isLetter()) return false;
    // Only what the phone's own texts can hold (code page 1252), and no longer than a name.
    if (modeltext::toQt(modeltext::toModel(typed)) != typed || s.text.size() >= 31) return true;
    setText(id, s.text + typed);
    return true;
}

void ListSearch::setText(int listId, const QString& text) {
    Search& s = m_searches[listId];
    s.text = text;
    s.rows = -1; // apply anew
    apply(listId);
}

void ListSearch::update() {
    for (int id : {orvane::Ctl::PhonebookList, orvane::Ctl::CallLogList})
        if (m_searches.count(id) == 0 && m_window.dialog().Face().IsVisible(id)) attach(id);
    for (auto& [id, s] : m_searches) {
        const orvane::Control& c = m_window.dialog().Face().Get(id);
        // The search belongs to the list on view; once the phone shows another screen it
        // is over.
        if (!c.visible && !s.text.isEmpty()) {
            s.text.clear();
            s.rows = -1;
        }
        if (static_cast<int>(c.list.rows.size()) != s.rows || c.list.resetCount != s.resetCount)
            apply(id);
    }
}

void ListSearch::apply(int listId) {
    Search& s = m_searches[listId];
    const orvane::ListData& list = m_window.dialog().Face().List(listId);
    const int rows = static_cast<int>(list.rows.size());
    std::vector<bool> keep(static_cast<std::size_t>(rows), true);
    if (!s.text.isEmpty()) {
        keep.assign(static_cast<std::size_t>(rows), false);
        for (int r : orvane::FilterListRows(list, modeltext::toModel(s.text)))
            keep[static_cast<std::size_t>(r)] = true;
    }
    // Without a search and with nothing hidden before, a growing list needs no visit.
    if (!s.text.isEmpty() || s.hiding) {
        const int viewRows = s.tree->model() != nullptr ? s.tree->model()->rowCount() : 0;
        for (int r = 0; r < viewRows && r < rows; ++r) {
            const bool hide = !keep[static_cast<std::size_t>(r)];
            if (s.tree->isRowHidden(r, QModelIndex()) != hide)
                s.tree->setRowHidden(r, QModelIndex(), hide);
        }
        s.hiding = !s.text.isEmpty();
    }
    s.rows = rows;
    s.resetCount = list.resetCount;

    const QString shown = s.text.isEmpty() ? QString() : QStringLiteral("Search: %1").arg(s.text);
    // A screen reader names the list by what it is searched for.
    s.tree->setAccessibleName(shown);
    if (s.text.isEmpty()) {
        s.label->hide();
        return;
    }
    s.label->setFont(s.tree->font());
    s.label->setText(shown);
    s.label->adjustSize();
    // In the list's lower right corner, inside its frame and clear of a scroll bar.
    const QRect room = s.tree->viewport()->geometry();
    s.label->move(room.right() - s.label->width() - 2, room.bottom() - s.label->height() - 2);
    s.label->raise();
    s.label->show();
}

// The real dialer in this process, put together by CDialerApp exactly as orvane-dialer's
// main does (Qt socket, timers, dialogs, the settings file in a runtime folder, the
// machine), with its real window, and driven the way a user drives it: clicks on the face's
// widgets, typing, menu commands, list clicks. It also reads back what the window shows.
#pragma once

#include "CDialerApp.h"

#include <QImage>
#include <QKeySequence>
#include <QString>
#include <QStringList>

#include <memory>

class QTreeView;

namespace orvane::demo {

class LiveDialer {
  public:
    struct Options {
        // The per-login runtime folder that holds the settings (XDG_RUNTIME_DIR).
        QString runtimeDir;
        // The private contact file; empty: none.
        QString privateContacts;
        // Tests only: a shorter keep-alive period; 0 leaves the program's own.
        unsigned keepAliveMs = 0;
    };

    explicit LiveDialer(const Options& options);
    // Leaves without closing (no "STOP:"), as a program that is killed.
    ~LiveDialer();
    LiveDialer(const LiveDialer&) = delete;
    LiveDialer& operator=(const LiveDialer&) = delete;

    // Runs the dialog's start-up and shows the window.
    void start();
    // Closes the window as its close box does; true once the dialog has ended.
    bool close();
    bool ended() const { return m_dialog->IsEnded(); }

    DialerWindow& window() { return *m_window; }
    CDialerDlg& dialog() { return *m_dialog; }
    QtDatagramPort& socket() { return m_app->socket(); }

    // --- What the user sees ------------------------------------------------------------
    // The text a control shows: a label, a soft key's caption, an edit's contents.
    QString text(int id) const;
    bool visible(int id) const;
    bool enabled(int id) const;
    // The picture a key or a static shows (bitmap id; 0 none).
    int picture(int id) const;
    bool masked(int id) const; // an edit shows '*' for its text
    // The tag an edit shows beside its text (the console's mark); empty when it shows none.
    QString tag(int id) const;
    int sliderValue(int id) const;
    // Lists.
    int rows(int listId) const;
    QString cell(int listId, int row, int column) const;
    QStringList column(int listId, int column) const;
    // The first row whose `column` shows `text`; -1 when none does.
    int rowOf(int listId, int column, const QString& text) const;
    bool rowHasImage(int listId, int row) const;
    // The picture in a row's first column (null when it has none).
    QImage rowImage(int listId, int row) const;
    int selectedRow(int listId) const; // -1 none
    bool menuEnabled(int menuId) const;
    bool menuChecked(int menuId) const;
    // The display lines 0 to 3 as they show, hidden ones as "-".
    QString displaySummary() const;

    // --- What the user does ------------------------------------------------------------
    // A mouse click on a visible, enabled key; false when the user could not click it.
    bool click(int id);
    // A menu command; false when the item is grayed.
    bool menu(int menuId);
    // A click on a row of a list (scrolled into view first); row -1 clicks below the last.
    bool clickRow(int listId, int row);
    // Replaces an edit's text by typing into it.
    bool type(int id, const QString& text);
    // A key combination pressed in the window (e.g. Alt+L); false when the window cannot
    // get the keyboard.
    bool shortcut(const QKeySequence& keys);
    // The window gets the keyboard, as after a click on its title.
    bool activate();
    // Enter pressed with the focus on a control.
    void pressEnter(int focusId);
    // Drags the volume slider to `value` and lets it go.
    bool dragSlider(int id, int value);

  private:
    QTreeView* tree(int listId) const;

    std::unique_ptr<CDialerApp> m_app;
    CDialerDlg* m_dialog;   // m_app's
    DialerWindow* m_window; // m_app's
    Options m_options;
};

} // namespace orvane::demo

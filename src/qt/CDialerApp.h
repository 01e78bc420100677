// CDialerApp: where the dialer is put together. It owns the Qt sides of the ports (socket,
// timers, boxes, settings store, machine), the dialog, its window and what the dialer does
// for the desktop session (links, recent numbers, call notice, list search), and ties them
// to each other. The program, the tour, the end-to-end driver and the benchmarks all build the
// dialer through it, so they run the same wiring.
#pragma once

#include "CDialRecordingPort.h"
#include "CDialerDlg.h"
#include "CRecentNumbers.h"
#include "DialerSession.h"
#include "DialerWindow.h"
#include "QtPorts.h"
#include "QtSettingsBackend.h"

#include <QString>

#include <string>

class CDialerApp {
  public:
    struct Options {
        // The per-login runtime folder that holds the settings (XDG_RUNTIME_DIR): they go
        // at log-out.
        QString runtimeDir;
        // Boxes, text prompts and the About box go here instead of to Qt's boxes (the
        // benchmarks count them); null: Qt's.
        orvane::Dialogs* dialogs = nullptr;
        // The file of the numbers dialled from this PC; empty: they last for this run only.
        std::string recentNumbers;
    };

    explicit CDialerApp(const Options& options);
    // Detaches the ports from the window first: nothing reaches a window being torn down.
    ~CDialerApp();
    CDialerApp(const CDialerApp&) = delete;
    CDialerApp& operator=(const CDialerApp&) = delete;

    orvane::CDialerDlg& dialog() { return m_dialog; }
    const orvane::CDialerDlg& dialog() const { return m_dialog; }
    DialerWindow& window() { return m_window; }
    QtDatagramPort& socket() { return m_socket; }
    QtTimerHost& timers() { return m_timers; }
    QtDialogs& qtDialogs() { return m_qtDialogs; }
    DialerSession& session() { return m_session; }

    // The dialog's start-up; the private contacts are read from `privateContacts`.
    void init(const std::string& privateContacts);
    // Runs the window modally until it closes; returns at once when start-up ended the
    // dialog.
    void exec();

  private:
    QtDatagramPort m_socket;
    orvane::CRecentNumbers m_recent;
    // Every number dialled goes to the recent numbers on its way out.
    orvane::CDialRecordingPort m_dialRecorder;
    QtTimerHost m_timers;
    QtDialogs m_qtDialogs;
    QtSettingsBackend m_settings;
    QtPlatform m_platform;
    orvane::CDialerDlg m_dialog;
    DialerWindow m_window;
    DialerSession m_session;
};

#include "CDialerApp.h"

namespace {

orvane::CRecentNumbers loadedRecentNumbers(const std::string& path) {
    orvane::CRecentNumbers recent(path);
    recent.Load();
    return recent;
}

} // namespace

CDialerApp::CDialerApp(const Options& options)
    : m_recent(loadedRecentNumbers(options.recentNumbers)),
      m_dialRecorder(m_socket, m_recent),
      m_settings(options.runtimeDir),
      m_dialog({m_dialRecorder, m_timers, options.dialogs != nullptr ? *options.dialogs : m_qtDialogs,
                m_settings, m_platform}),
      m_window(m_dialog),
      m_session(m_window, m_recent) {
    m_socket.attach(&m_window);
    m_timers.attach(&m_window);
    m_qtDialogs.attach(&m_window);
}

CDialerApp::~CDialerApp() {
    m_socket.attach(nullptr);
    m_timers.attach(nullptr);
    m_qtDialogs.attach(nullptr);
}

void CDialerApp::init(const std::string& privateContacts) {
    m_window.initDialog(privateContacts);
}

void CDialerApp::exec() {
    if (!m_dialog.IsEnded()) m_window.exec();
}

#include "CDialerApp.h"

CDialerApp::CDialerApp(const Options& options)
    : m_settings(options.runtimeDir.toStdString()),
      m_dialog({m_socket, m_timers, options.dialogs != nullptr ? *options.dialogs : m_qtDialogs,
                m_settings, m_platform}),
      m_window(m_dialog) {
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

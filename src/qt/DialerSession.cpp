#include "DialerSession.h"

#include "CDialerDlg.h"
#include "CRecentNumbers.h"
#include "CallNotifier.h"
#include "DialerWindow.h"
#include "FaceIds.h"
#include "ListSearch.h"
#include "ModelText.h"
#include "Protocol.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QMenu>
#include <QStringListModel>
#include <QTimer>

using orvane::Ctl::EntryEdit;

DialerSession::DialerSession(DialerWindow& window, orvane::CRecentNumbers& recent, QObject* parent)
    : QObject(parent), m_window(window), m_recent(recent) {
    m_notifier = new CallNotifier(window, this);
    m_search = new ListSearch(window, this);

    connect(&window, &DialerWindow::coreCalled, this, &DialerSession::afterEvent);
}

DialerSession::~DialerSession() = default;

void DialerSession::setUpEntry() {
    // Once the entry is first shown: the window makes its widgets only when they are
    // needed, which keeps the start quick.
    m_entry = qobject_cast<QLineEdit*>(m_window.control(EntryEdit));
    if (m_entry == nullptr) return;
    m_completions = new QStringListModel(this);
    m_completer = new QCompleter(m_completions, this);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_completer->setCaseSensitivity(Qt::CaseSensitive);
    m_completer->setWidget(m_entry);
    // Picked from the list: the entry takes the number, ready for SEND (the dialog reads
    // the entry edit before every key).
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this,
            [this](const QString& number) {
                m_entry->setText(number);
                m_entry->setCursorPosition(static_cast<int>(number.size()));
            });
    // The keypad types into the entry through the dialog, so completion follows the
    // text, whoever changed it.
    connect(m_entry, &QLineEdit::textChanged, this, [this] { refreshCompletion(); });
    m_entry->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_entry, &QWidget::customContextMenuRequested, this, &DialerSession::entryMenu);
    refreshCompletion();
}

void DialerSession::afterEvent() {
    if (m_entry == nullptr && m_window.dialog().Face().IsVisible(EntryEdit)) setUpEntry();
    m_notifier->update();
    m_search->update();
    if (!m_waiting.isEmpty()) dialWaiting();
}

void DialerSession::dial(const QString& number) {
    m_waiting = number;
    dialWaiting();
}

void DialerSession::dialWaiting() {
    orvane::CDialerDlg& dialog = m_window.dialog();
    // The console's line and a prompt's answer use the entry too: the number waits.
    if (m_waiting.isEmpty() || m_dialQueued || !dialog.IsControlling() || dialog.isConsoleMode())
        return;
    // From the event loop, not inside the handler that made the phone ours.
    m_dialQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_dialQueued = false;
        orvane::CDialerDlg& dlg = m_window.dialog();
        if (m_waiting.isEmpty() || !dlg.IsControlling() || dlg.isConsoleMode()) return;
        const std::string number = modeltext::toModel(m_waiting);
        m_waiting.clear();
        m_window.callCore([&dlg, &number] {
            dlg.Face().UserSetText(EntryEdit, number);
            dlg.SendKeyCode(orvane::proto::KeyCode::Send);
        });
    });
}

void DialerSession::activate() {
    m_window.setWindowState((m_window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

void DialerSession::refreshCompletion() {
    if (m_completer == nullptr) return;
    const orvane::CDialerDlg& dialog = m_window.dialog();
    const QString text = m_entry->text();
    const bool offered = m_entry->hasFocus() && m_entry->isVisible() && !text.isEmpty() &&
                         m_entry->echoMode() == QLineEdit::Normal && !dialog.isConsoleMode() &&
                         !dialog.isAddressEntry() && !dialog.isPasswordPending();
    QStringList numbers;
    if (offered) {
        for (const std::string& n : m_recent.Numbers()) {
            const QString number = QString::fromStdString(n);
            if (number.startsWith(text) && number != text) numbers << number;
        }
    }
    m_completions->setStringList(numbers);
    if (numbers.isEmpty()) {
        m_completer->popup()->hide();
        return;
    }
    m_completer->setCompletionPrefix(text);
    m_completer->complete();
}

void DialerSession::entryMenu(const QPoint& at) {
    QMenu* menu = m_entry->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const orvane::CDialerDlg& dialog = m_window.dialog();
    if (!dialog.isConsoleMode() && !dialog.isAddressEntry() && !dialog.isPasswordPending()) {
        menu->addSeparator();
        QMenu* recent = menu->addMenu(QStringLiteral("Recent Numbers"));
        recent->setEnabled(!m_recent.Numbers().empty());
        for (const std::string& n : m_recent.Numbers()) {
            const QString number = QString::fromStdString(n);
            recent->addAction(number, this, [this, number] { dial(number); });
        }
        QAction* clear = menu->addAction(QStringLiteral("Clear Recent Numbers"), this,
                                         [this] { m_recent.Clear(); });
        clear->setEnabled(!m_recent.Numbers().empty());
    }
    menu->popup(m_entry->mapToGlobal(at));
}

#include "LiveDialer.h"

#include "BitmapStatic.h"
#include "CMyButton.h"
#include "FaceIds.h"
#include "ImageKey.h"
#include "SoftKey.h"

#include <QAbstractButton>
#include <QAction>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QTreeView>

namespace orvane::demo {

LiveDialer::LiveDialer(const Options& options)
    : m_app(std::make_unique<CDialerApp>(CDialerApp::Options{options.runtimeDir, nullptr, {}})),
      m_dialog(&m_app->dialog()), m_window(&m_app->window()), m_options(options) {
    if (options.keepAliveMs > 0) m_dialog->setKeepAlivePeriodForTest(options.keepAliveMs);
}

LiveDialer::~LiveDialer() {
    m_app->qtDialogs().setQuitting(true);
    m_window->hide();
}

void LiveDialer::start() {
    m_app->init(m_options.privateContacts.toStdString());
    if (m_dialog->IsEnded()) return;
    m_window->show();
    activate();
}

bool LiveDialer::activate() {
    // As a desktop does with a new window, or a click on it: it gets the keyboard.
    m_window->activateWindow();
    return QTest::qWaitForWindowActive(m_window, 2000);
}

bool LiveDialer::close() {
    m_window->close();
    return m_dialog->IsEnded();
}

// ---------------------------------------------------------------------------------------
// What the user sees.

QString LiveDialer::text(int id) const {
    QWidget* w = m_window->control(id);
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* key = qobject_cast<SoftKey*>(w)) return key->label();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    return {};
}

bool LiveDialer::visible(int id) const {
    QWidget* w = m_window->control(id);
    return w != nullptr && m_window->isVisible() && w->isVisibleTo(m_window);
}

bool LiveDialer::enabled(int id) const {
    QWidget* w = m_window->control(id);
    return w != nullptr && w->isEnabled();
}

int LiveDialer::picture(int id) const {
    QWidget* w = m_window->control(id);
    if (auto* key = qobject_cast<ImageKey*>(w)) return key->bitmap();
    if (auto* bitmap = qobject_cast<BitmapStatic*>(w)) return bitmap->bitmap();
    if (auto* button = qobject_cast<CMyButton*>(w)) return button->currentImage();
    return 0;
}

bool LiveDialer::masked(int id) const {
    auto* edit = qobject_cast<QLineEdit*>(m_window->control(id));
    return edit != nullptr && edit->echoMode() == QLineEdit::Password;
}

QString LiveDialer::tag(int id) const {
    auto* edit = qobject_cast<QLineEdit*>(m_window->control(id));
    if (edit == nullptr || !edit->isVisibleTo(m_window)) return {};
    auto* label = edit->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    return label != nullptr && label->isVisibleTo(edit) ? label->text() : QString();
}

int LiveDialer::sliderValue(int id) const {
    auto* slider = qobject_cast<QSlider*>(m_window->control(id));
    return slider != nullptr ? slider->value() : -1;
}

QTreeView* LiveDialer::tree(int listId) const {
    return qobject_cast<QTreeView*>(m_window->control(listId));
}

int LiveDialer::rows(int listId) const {
    QTreeView* t = tree(listId);
    return t != nullptr ? t->model()->rowCount() : 0;
}

QString LiveDialer::cell(int listId, int row, int column) const {
    QTreeView* t = tree(listId);
    if (t == nullptr) return {};
    return t->model()->index(row, column).data(Qt::DisplayRole).toString();
}

QStringList LiveDialer::column(int listId, int column) const {
    QStringList texts;
    for (int row = 0; row < rows(listId); ++row)
        texts << cell(listId, row, column);
    return texts;
}

int LiveDialer::rowOf(int listId, int column, const QString& text) const {
    for (int row = 0; row < rows(listId); ++row)
        if (cell(listId, row, column) == text) return row;
    return -1;
}

bool LiveDialer::rowHasImage(int listId, int row) const {
    QTreeView* t = tree(listId);
    return t != nullptr && !t->model()->index(row, 0).data(Qt::DecorationRole).isNull();
}

QImage LiveDialer::rowImage(int listId, int row) const {
    QTreeView* t = tree(listId);
    if (t == nullptr) return {};
    const QVariant picture = t->model()->index(row, 0).data(Qt::DecorationRole);
    if (picture.canConvert<QIcon>() && picture.typeId() == QMetaType::QIcon)
        return picture.value<QIcon>().pixmap(16, 16).toImage();
    return picture.value<QPixmap>().toImage();
}

int LiveDialer::selectedRow(int listId) const {
    QTreeView* t = tree(listId);
    if (t == nullptr) return -1;
    const QModelIndexList selected = t->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

bool LiveDialer::menuEnabled(int menuId) const {
    QAction* action = m_window->menuAction(menuId);
    return action != nullptr && action->isEnabled();
}

bool LiveDialer::menuChecked(int menuId) const {
    QAction* action = m_window->menuAction(menuId);
    return action != nullptr && action->isChecked();
}

QString LiveDialer::displaySummary() const {
    QStringList lines;
    for (int id = Ctl::DisplayLine0; id <= Ctl::DisplayLine3; ++id)
        lines << (visible(id) ? QLatin1Char('"') + text(id) + QLatin1Char('"')
                              : QStringLiteral("-"));
    return lines.join(QLatin1String(" | "));
}

// ---------------------------------------------------------------------------------------
// What the user does.

bool LiveDialer::click(int id) {
    QWidget* w = m_window->control(id);
    if (w == nullptr || !visible(id) || !w->isEnabled()) return false;
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
    return true;
}

bool LiveDialer::menu(int menuId) {
    QAction* action = m_window->menuAction(menuId);
    if (action == nullptr || !action->isEnabled()) return false;
    action->trigger();
    return true;
}

bool LiveDialer::clickRow(int listId, int row) {
    QTreeView* t = tree(listId);
    if (t == nullptr || !visible(listId)) return false;
    QPoint at;
    if (row >= 0) {
        if (row >= rows(listId)) return false;
        const QModelIndex index = t->model()->index(row, 0);
        t->scrollTo(index);
        at = t->visualRect(index).center();
    } else {
        // Below the last row, when the rows leave room for it.
        const int count = rows(listId);
        const int below =
            count == 0 ? 2 : t->visualRect(t->model()->index(count - 1, 0)).bottom() + 4;
        if (below >= t->viewport()->height()) return false;
        at = QPoint(t->viewport()->width() / 2, below);
    }
    QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    return true;
}

bool LiveDialer::type(int id, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(m_window->control(id));
    if (edit == nullptr || !visible(id) || !edit->isEnabled()) return false;
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, edit->rect().center());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    return edit->text() == text;
}

bool LiveDialer::shortcut(const QKeySequence& keys) {
    if (!activate()) return false;
    QWidget* target = m_window->focusWidget() != nullptr ? m_window->focusWidget() : m_window;
    QTest::keySequence(target, keys);
    return true;
}

void LiveDialer::pressEnter(int focusId) {
    if (QWidget* w = m_window->control(focusId)) w->setFocus(Qt::OtherFocusReason);
    QWidget* target = m_window->focusWidget() != nullptr ? m_window->focusWidget() : m_window;
    QTest::keyClick(target, Qt::Key_Return);
}

bool LiveDialer::dragSlider(int id, int value) {
    auto* slider = qobject_cast<QSlider*>(m_window->control(id));
    if (slider == nullptr || !visible(id) || !slider->isEnabled()) return false;
    // What a drag does: the handle goes down, moves (each move is a slider action), and
    // comes up again.
    slider->setSliderDown(true);
    slider->setSliderPosition(value);
    slider->setSliderDown(false);
    return true;
}

} // namespace orvane::demo

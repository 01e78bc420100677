#include "DialerWindow.h"

#include "BitmapStatic.h"
#include "CDialerDlg.h"
#include "CMyButton.h"
#include "FaceIds.h"
#include "FaceListModel.h"
#include "FacePaint.h"
#include "FaceStyle.h"
#include "ImageKey.h"
#include "ModelText.h"
#include "Skin.h"
#include "SoftKey.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

using orvane::Control;
using orvane::ControlKind;

namespace {

// The window is laid out in dialog units of its template font.
constexpr int kFaceWidthDlu = 170;
constexpr int kFaceHeightDlu = 279;
constexpr char kIdProperty[] = "orvaneControlId";
constexpr int kNoEditLimit = 32767; // QLineEdit's own default
// A height no text needs more of.
constexpr int kAnyHeight = 1 << 16;
// Column widths are fitted to the first rows' texts, not to all of a long list.
constexpr int kFitSampleRows = 64;
// A line edit's frame width and the margin it keeps above and below its text, in pixels.
constexpr int kEditFrame = 2;
constexpr int kEditTextMargin = 1;

// An edit's tag: a small word in a green box at the edit's right end, the colour of the
// SEND key whose action it names; the edit's text keeps clear of it.
void showEditTag(QLineEdit* edit, const QString& tag, const QFont& font) {
    auto* label = edit->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    if (tag.isEmpty()) {
        if (label != nullptr && !label->isHidden()) {
            label->hide();
            edit->setTextMargins(0, 0, 0, 0);
        }
        return;
    }
    if (label == nullptr) {
        label = new QLabel(edit);
        label->setTextFormat(Qt::PlainText);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setAccessibleDescription(QStringLiteral("entry tag"));
        // A style sheet, since the face's style paints labels on the window's own ground.
        label->setStyleSheet(QStringLiteral("QLabel { color: white; background: #1f7a2e; "
                                            "border-radius: 3px; padding: 0px 4px; }"));
    }
    label->setFont(font);
    label->setText(tag);
    label->adjustSize();
    constexpr int kInset = 3; // inside the edit's two-pixel sunken frame
    label->move(edit->width() - label->width() - kInset, (edit->height() - label->height()) / 2);
    edit->setTextMargins(0, 0, label->width() + kInset, 0);
    label->show();
}

Qt::Alignment horizontal(orvane::Align align) {
    switch (align) {
    case orvane::Align::Center: return Qt::AlignHCenter;
    case orvane::Align::Right: return Qt::AlignRight;
    case orvane::Align::Left: break;
    }
    return Qt::AlignLeft;
}

// What a screen reader says for a control: a key by what its picture shows, every other
// control by its plain name (a text control reads out its text as its name).
struct Spoken {
    const char* name;        // keys only
    const char* description; // every control
};

Spoken spokenName(int id) {
    using namespace orvane::Ctl;
    switch (id) {
    case Key1: return {"1", "key 1"};
    case Key2: return {"2", "key 2"};
    case Key3: return {"3", "key 3"};
    case Key4: return {"4", "key 4"};
    case Key5: return {"5", "key 5"};
    case Key6: return {"6", "key 6"};
    case Key7: return {"7", "key 7"};
    case Key8: return {"8", "key 8"};
    case Key9: return {"9", "key 9"};
    case Key0: return {"0", "key 0"};
    case KeyStar: return {"*", "key *"};
    case KeyHash: return {"#", "key #"};
    case ContactsTab: return {"Contacts", "Contacts tab"};
    case DialpadTab: return {"Dialpad", "Dialpad tab"};
    case CallLogsTab: return {"Calls", "CallLogs tab"};
    case MenuTab: return {"Menu", "Menu tab"};
    case VolPlus: return {"Vol +", "Vol + key"};
    case VolMinus: return {"Vol -", "Vol - key"};
    case Mute: return {"Mute", "MUTE key"};
    case Send: return {"Send", "SEND key"};
    case End: return {"End", "END key"};
    case EditKey: return {"Edit", "Edit icon key"};
    case DeleteKey: return {"Delete", "Delete icon key"};
    case BackKey: return {"Back", "Back icon key"};
    case F1: return {nullptr, "soft key F1"};
    case F2: return {nullptr, "soft key F2"};
    case F3: return {nullptr, "soft key F3"};
    case VolumeSlider: return {nullptr, "volume slider"};
    case DisplayLine0: return {nullptr, "display line 0"};
    case DisplayLine1: return {nullptr, "display line 1"};
    case DisplayLine2: return {nullptr, "display line 2"};
    case DisplayLine3: return {nullptr, "display line 3"};
    case EntryEdit: return {nullptr, "entry edit"};
    case NameEdit: return {nullptr, "name edit"};
    case NumberEdit: return {nullptr, "number edit"};
    case NameLabel: return {nullptr, "name label"};
    case NumberLabel: return {nullptr, "number label"};
    case DeviceList: return {nullptr, "device list"};
    case PhonebookList: return {nullptr, "phonebook list"};
    case CallLogList: return {nullptr, "call log list"};
    case MenuList: return {nullptr, "menu list"};
    case UsbIcon: return {nullptr, "USB icon"};
    case HdIcon: return {nullptr, "HD icon"};
    case PhoneIcon: return {nullptr, "phone icon"};
    case PhoneOffIcon: return {nullptr, "phone-off icon"};
    case DndIcon: return {nullptr, "DND icon"};
    case StatusIcon: return {nullptr, "status icon"};
    default: return {nullptr, nullptr};
    }
}

} // namespace

DialerWindow::DialerWindow(orvane::CDialerDlg& dialog, QWidget* parent)
    : QDialog(parent), m_dialog(dialog), m_face(dialog.Face()),
      m_dialogFont(dialogfont::templateFont(10)), m_units(m_dialogFont) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(orvane::skin::Icon(orvane::Ico::App));
    setSizeGripEnabled(false);

    // Before any control exists: the menu bar already asks the style for its pictures.
    FaceStyle::install();

    createMenu();
    const int menuHeight = m_menuBar->sizeHint().height();
    const QSize faceSize = m_units.size(kFaceWidthDlu, kFaceHeightDlu);
    m_menuBar->setGeometry(0, 0, faceSize.width(), menuHeight);
    m_faceArea = new QWidget(this);
    m_faceArea->setFont(m_dialogFont);
    m_faceArea->setGeometry(0, menuHeight, faceSize.width(), faceSize.height());
    m_faceArea->installEventFilter(this);
    setFixedSize(faceSize.width(), faceSize.height() + menuHeight);

    createControls();

    // The hidden "&Linux Secret" button keeps its mnemonic.
    auto* secret = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_L), this);
    connect(secret, &QShortcut::activated, this,
            [this] { callCore([this] { m_dialog.OnCommand(orvane::Ctl::LinuxSecret); }); });

    // The window shows the face as the template builds it.
    const QScopedValueRollback syncing(m_syncing, true);
    for (View& view : m_views) {
        const Control& c = m_face.Get(view.id);
        apply(view, c);
        view.version = c.version;
    }
    applyWindow();
    m_syncedVersion = m_face.Version();
}

DialerWindow::~DialerWindow() = default;

void DialerWindow::prepareApplication() {
    FaceStyle::install();
    QApplication::setFont(dialogfont::templateFont(10));
}

void DialerWindow::createMenu() {
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    // The menus are written in the window's own font, like everything else on the face; a
    // window that shows no text in the desktop's font need not load that font to start.
    m_menuBar->setFont(m_dialogFont);
    QMenu* menus[] = {m_menuBar->addMenu(QStringLiteral("Devices")),
                      m_menuBar->addMenu(QStringLiteral("Help"))};
    for (QMenu* menu : menus)
        menu->setFont(m_dialogFont);
    for (const orvane::MenuItem& item : m_face.MenuItems()) {
        QMenu* menu = menus[item.menu == 1 ? 1 : 0];
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(modeltext::toQt(item.text));
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] {
            // A checkable item toggles itself; the model says what it shows.
            m_menuDirty = true;
            callCore([this, id] { m_dialog.OnCommand(id); });
        });
        m_actions[id] = action;
    }
}

void DialerWindow::createControls() {
    const std::vector<Control>& controls = m_face.Controls();
    m_views.reserve(controls.size());
    // The first control of the template lies on top, so views run from the last one.
    for (std::size_t i = controls.size(); i-- > 0;) {
        View view;
        view.id = controls[i].id;
        view.kind = controls[i].kind;
        view.order = static_cast<int>(i);
        m_viewIndex[view.id] = m_views.size();
        m_views.push_back(view);
    }
    // Only what the face shows gets a widget now: the lists, the editor's fields and the
    // keys of other screens cost start-up time and memory while nobody sees them.
    for (View& view : m_views)
        if (m_face.Get(view.id).visible) makeWidget(view);
    orderTabs();
}

QWidget* DialerWindow::makeWidget(View& view) {
    const Control& c = m_face.Get(view.id);
    QWidget* w = createWidget(view, c);
    w->setProperty(kIdProperty, c.id);
    const Spoken spoken = spokenName(c.id);
    if (spoken.name != nullptr) w->setAccessibleName(QString::fromLatin1(spoken.name));
    if (spoken.description != nullptr)
        w->setAccessibleDescription(QString::fromLatin1(spoken.description));
    // Every control's mouse and keys pass the window first (double clicks, keyboard keys).
    w->installEventFilter(this);
    w->setGeometry(placeOf(c, fontFor(c.font)));
    // A new widget lies on top of its siblings; it belongs just under the nearest control
    // before it in the template.
    const View* above = nullptr;
    for (const View& other : m_views) {
        if (other.widget != nullptr && other.order < view.order &&
            (above == nullptr || other.order > above->order))
            above = &other;
    }
    if (above != nullptr) w->stackUnder(above->widget);
    view.widget = w;
    // Made after start-up, a control that takes the tab joins the tab order in its place.
    if (c.tabStop && m_tabsOrdered) orderTabs();
    return w;
}

void DialerWindow::orderTabs() {
    // Tab order follows the template.
    QWidget* previous = nullptr;
    for (const Control& c : m_face.Controls()) {
        const View* view = c.tabStop ? viewOf(c.id) : nullptr;
        if (view == nullptr || view->widget == nullptr) continue;
        if (previous != nullptr) setTabOrder(previous, view->widget);
        previous = view->widget;
    }
    m_tabsOrdered = true;
}

QWidget* DialerWindow::createWidget(View& view, const Control& c) {
    const int id = c.id;
    auto clickTo = [this, id](QAbstractButton* button) {
        connect(button, &QAbstractButton::clicked, this,
                [this, id] { callCore([this, id] { m_dialog.OnCommand(id); }); });
    };
    switch (c.kind) {
    case ControlKind::PushButton: {
        auto* key = new SoftKey(m_faceArea);
        clickTo(key);
        return key;
    }
    case ControlKind::ImageButton: {
        // The keypad keys have a client edge as well; Vol + and Vol - only the static one.
        const bool keypad = id >= orvane::Ctl::Key1 && id <= orvane::Ctl::KeyHash;
        auto* key = new ImageKey(keypad, m_faceArea);
        clickTo(key);
        return key;
    }
    case ControlKind::MyButton: {
        auto* key = new CMyButton(m_faceArea);
        clickTo(key);
        return key;
    }
    case ControlKind::Text: {
        auto* label = new QLabel(m_faceArea);
        label->setTextFormat(Qt::PlainText);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        return label;
    }
    case ControlKind::Bitmap: return new BitmapStatic(c.clipImage, m_faceArea);
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(m_faceArea);
        edit->setFocusPolicy(c.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        return edit;
    }
    case ControlKind::Slider: {
        auto* slider = new QSlider(Qt::Horizontal, m_faceArea);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setFocusPolicy(c.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        auto moved = [this, id, slider] {
            callCore([this, id, slider] {
                m_face.UserSetSliderPos(id, slider->sliderPosition());
                m_dialog.OnVolumeSlider();
            });
        };
        // Every move, line, page and the end of a drag notify the dialog, as the
        // trackbar's scroll messages do.
        connect(slider, &QSlider::actionTriggered, this, moved);
        connect(slider, &QSlider::sliderReleased, this, moved);
        return slider;
    }
    case ControlKind::List: {
        auto* tree = new QTreeView(m_faceArea);
        tree->setRootIsDecorated(false);
        tree->setItemsExpandable(false);
        tree->setUniformRowHeights(true);
        tree->setSelectionBehavior(QAbstractItemView::SelectRows);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        tree->setAllColumnsShowFocus(true);
        tree->setIconSize(QSize(16, 16));
        tree->setTextElideMode(Qt::ElideRight);
        tree->setFocusPolicy(c.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        view.twoLines = std::make_shared<TwoLinePlan>();
        tree->setHeader(new TwoLineHeader(view.twoLines, tree));
        tree->setItemDelegate(new TwoLineDelegate(view.twoLines, tree));
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionsMovable(false);
        tree->header()->setSectionsClickable(false);
        tree->header()->setMinimumSectionSize(1);
        view.list = new FaceListModel(m_face, id, tree);
        view.list->setTwoLinePlan(view.twoLines);
        view.tree = tree;
        tree->setModel(view.list);
        tree->viewport()->setProperty(kIdProperty, id);
        tree->viewport()->installEventFilter(this);
        return tree;
    }
    }
    return new QWidget(m_faceArea);
}

QFont DialerWindow::fontFor(orvane::FontId font) const {
    if (font == orvane::FontId::Dialog) return m_dialogFont;
    return cellFont(orvane::FaceModel::FontHeight(font, m_face.FontBHeight()));
}

QFont DialerWindow::cellFont(int height) const {
    auto it = m_cellFonts.find(height);
    if (it == m_cellFonts.end())
        it = m_cellFonts.emplace(height, dialogfont::arialBoldCell(height)).first;
    return it->second;
}

QRect DialerWindow::placeOf(const Control& c, const QFont& font) const {
    const orvane::DluRect& r = c.rect;
    QRect place = m_units.rect(r.x, r.y, r.w, r.h);
    // A text control is at least as high as its font's line, so no glyph loses its top or
    // its tail: a one-line text grows evenly about its middle (it is transparent and
    // centred, so nothing moves), an edit grows downwards, below the display line that
    // asks for it.
    const QFontMetrics metrics(font);
    if (c.kind == ControlKind::Text && c.vcenter && place.height() < metrics.height()) {
        const int grow = metrics.height() - place.height();
        place.adjust(0, -grow / 2, 0, grow - grow / 2);
    } else if (c.kind == ControlKind::Edit) {
        // The edit's frame and text margins around one line of text.
        const int needed = metrics.height() + 2 * kEditFrame + 2 * kEditTextMargin;
        if (place.height() < needed) place.setHeight(needed);
    }
    return place;
}

void DialerWindow::apply(View& view, const Control& c) {
    // A control nobody has seen yet stays without a widget while it is hidden; once made,
    // its widget is brought in step with all of the control.
    if (view.widget == nullptr && !c.visible) return;
    QWidget* w = view.widget != nullptr ? view.widget : makeWidget(view);
    QFont font = fontFor(c.font);
    if (c.kind == ControlKind::Text && c.vcenter) {
        // A one-line text wider than its line is written smaller, whole, not cut at its ends.
        // (Only its width counts: the line is made as high as its font.)
        const int width = m_units.size(c.rect.w, c.rect.h).width() - 2;
        font = facepaint::fitting(font, QRect(0, 0, width, kAnyHeight),
                                  Qt::AlignCenter | Qt::TextSingleLine, modeltext::toQt(c.text));
    }
    if (c.kind == ControlKind::List && view.listCellHeight > 0)
        font = cellFont(view.listCellHeight);
    if (w->font() != font) {
        w->setFont(font);
        if (c.kind == ControlKind::Text || c.kind == ControlKind::Edit)
            w->setGeometry(placeOf(c, font));
    }
    switch (c.kind) {
    case ControlKind::PushButton:
        static_cast<SoftKey*>(w)->setLabel(modeltext::toQt(c.text));
        break;
    case ControlKind::ImageButton: static_cast<ImageKey*>(w)->setBitmap(c.bitmap); break;
    case ControlKind::MyButton: static_cast<CMyButton*>(w)->setImages(c.images); break;
    case ControlKind::Text: {
        auto* label = static_cast<QLabel*>(w);
        label->setAlignment(horizontal(c.align) | (c.vcenter ? Qt::AlignVCenter : Qt::AlignTop));
        // Without vertical centring a static wraps its text at word boundaries.
        label->setWordWrap(!c.vcenter);
        label->setText(modeltext::toQt(c.text));
        break;
    }
    case ControlKind::Bitmap: static_cast<BitmapStatic*>(w)->setBitmap(c.bitmap); break;
    case ControlKind::Edit: {
        auto* edit = static_cast<QLineEdit*>(w);
        edit->setEchoMode(c.password ? QLineEdit::Password : QLineEdit::Normal);
        edit->setAlignment(horizontal(c.align) | Qt::AlignVCenter);
        const QString text = modeltext::toQt(c.text);
        // A limit holds what the user types; a longer text set by the dialog stays whole.
        const int limit = c.maxLength > 0
                              ? std::max<int>(c.maxLength, static_cast<int>(text.size()))
                              : kNoEditLimit;
        if (edit->maxLength() != limit) edit->setMaxLength(limit);
        if (edit->text() != text) edit->setText(text);
        view.pushedText = text;
        showEditTag(edit, modeltext::toQt(c.tag), m_dialogFont);
        const int start = std::clamp(c.selStart, 0, static_cast<int>(text.size()));
        const int end = std::clamp(c.selEnd, 0, static_cast<int>(text.size()));
        if (start == end)
            edit->setCursorPosition(start);
        else
            edit->setSelection(start, end - start);
        break;
    }
    case ControlKind::Slider: {
        auto* slider = static_cast<QSlider*>(w);
        const QSignalBlocker quiet(slider);
        slider->setRange(c.rangeMin, c.rangeMax);
        slider->setSingleStep(c.lineSize);
        slider->setPageStep(c.pageSize);
        slider->setTickInterval(c.tickFreq);
        slider->setValue(c.pos);
        break;
    }
    case ControlKind::List: applyList(view, c); break;
    }
    if (w->isEnabled() != c.enabled) w->setEnabled(c.enabled);
    if (w->isVisibleTo(this) != c.visible) w->setVisible(c.visible);
    if (c.kind != ControlKind::List) w->update();
}

void DialerWindow::applyList(View& view, const Control& c) {
    const orvane::ListData& l = c.list;
    QTreeView* tree = view.tree;
    const bool rebuilt = view.list->catchUp() || view.shownSelection == -2;
    const int rows = view.list->rowCount();
    // Rows past the sample change no width: a long list is fitted once, not per datagram.
    if (rebuilt || (rows != view.fittedRows && view.fittedRows < kFitSampleRows))
        fitColumns(view, c);
    if (rebuilt || l.selected != view.shownSelection) {
        if (l.selected >= 0 && l.selected < rows)
            tree->selectionModel()->select(view.list->index(l.selected, 0),
                                           QItemSelectionModel::ClearAndSelect |
                                               QItemSelectionModel::Rows);
        else
            tree->selectionModel()->clearSelection();
        view.shownSelection = l.selected;
    }
    if (rebuilt || l.scrollTo != view.shownScroll) {
        if (l.scrollTo >= 0 && l.scrollTo < rows) tree->scrollTo(view.list->index(l.scrollTo, 0));
        view.shownScroll = l.scrollTo;
    }
}

void DialerWindow::fitColumns(View& view, const orvane::Control& c) {
    // Every column as wide as its heading and its texts need (the first rows tell). Where
    // that is more than the list's width, a list that has a two-line plan (the call log)
    // draws some columns below or beside others, in a smaller font if even that is too
    // wide (a wide screen's larger font B); then, or in a list without a plan, an "ID"
    // column gives up what is missing first and a "Name" column next, each shortened with
    // "..." down to a few letters (and never below the numbers drawn under the names):
    // numbers, addresses and dates are never cut, a device list shows its names whole.
    // Where it is less, the "Name" column takes the rest, so no scroll bar is needed
    // sideways where everything fits. The order and headings stay as the list has them.
    const orvane::ListData& l = c.list;
    QTreeView* tree = view.tree;
    QHeaderView* header = tree->header();
    const int columns = static_cast<int>(l.columns.size());
    view.fittedRows = view.list->rowCount();
    if (columns == 0) return;
    const int sample = std::min(view.fittedRows, kFitSampleRows);
    const int padding = 4; // a cell's size hint has its margins already; a gap between texts
    std::vector<std::string> headings;
    for (const orvane::ListColumn& column : l.columns)
        headings.push_back(column.heading);
    // What each shown column needs with the plan and font in force (hidden ones need
    // nothing), then shared out within the room.
    std::vector<int> want(static_cast<std::size_t>(columns));
    auto share = [&](int room) {
        for (int i = 0; i < columns; ++i) {
            int& width = want[static_cast<std::size_t>(i)];
            width = 0;
            if (tree->isColumnHidden(i)) continue;
            int cells = 0;
            for (int row = 0; row < sample; ++row)
                cells = std::max(cells, tree->sizeHintForIndex(view.list->index(row, i)).width());
            width = std::max(header->sectionSizeHint(i), cells + padding);
        }
        const QFontMetrics metrics = tree->fontMetrics();
        return orvane::ShareListRoom(headings, want, room, [&](int column) {
            // A few letters, and never less than the parts drawn below it.
            int floor = metrics.averageCharWidth() * 4 + padding;
            for (const TwoLinePlan::Place& part : view.twoLines->PartsOf(column)) {
                if (part.column == column) continue;
                floor = std::max(floor, header->sectionSizeHint(part.column));
                for (int row = 0; row < sample; ++row) {
                    const QString text = view.list->index(row, part.column).data().toString();
                    floor = std::max(floor, metrics.horizontalAdvance(text) + 2 * padding);
                }
            }
            return floor;
        });
    };
    // Room inside the frame, less the vertical scroll bar once the rows need it.
    auto roomFor = [&] {
        int room = tree->contentsRect().width();
        const int rowHeight = std::max(1, tree->sizeHintForRow(0));
        const int rowsRoom = tree->contentsRect().height() - header->sizeHint().height();
        if (view.fittedRows * rowHeight > rowsRoom)
            room -= tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree);
        return room;
    };
    // Row and heading heights follow the plan and the font.
    auto relayout = [&] {
        header->headerDataChanged(Qt::Horizontal, 0, columns - 1);
        tree->doItemsLayout();
    };
    auto usePlan = [&](const TwoLinePlan& plan) {
        *view.twoLines = plan;
        for (int i = 0; i < columns; ++i)
            tree->setColumnHidden(i, plan.MovedAway(i));
        relayout();
    };
    auto useCellHeight = [&](int height) {
        view.listCellHeight = height;
        tree->setFont(height > 0 ? cellFont(height) : fontFor(c.font));
        relayout();
    };

    // One line, else two, in the described font, else in smaller ones (the shared plan).
    orvane::FitList(headings, orvane::FaceModel::FontHeight(c.font, m_face.FontBHeight()),
                    [&](const orvane::ListFit& fit) {
                        if (view.listCellHeight != fit.cellHeight) useCellHeight(fit.cellHeight);
                        if (view.twoLines->Empty() != fit.plan.Empty()) usePlan(fit.plan);
                        const int room = roomFor();
                        return share(room) <= room;
                    });
    for (int i = 0; i < columns; ++i)
        if (!tree->isColumnHidden(i)) header->resizeSection(i, want[static_cast<std::size_t>(i)]);
}

void DialerWindow::applyWindow() {
    setWindowTitle(modeltext::toQt(m_face.Caption()));
    for (const orvane::MenuItem& item : m_face.MenuItems()) {
        if (item.id == 0) continue;
        QAction* action = m_actions[item.id];
        action->setEnabled(item.enabled);
        // Only a checked item shows a mark; an unchecked one shows nothing at all.
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
    }
    if (QWidget* w = control(m_face.Focus())) {
        if (focusWidget() != w) w->setFocus(Qt::OtherFocusReason);
    }
    m_windowVersion = m_face.WindowVersion();
    m_menuDirty = false;
}

void DialerWindow::sync() {
    if (m_face.Version() == m_syncedVersion && !m_menuDirty) return;
    const QScopedValueRollback syncing(m_syncing, true);
    for (View& view : m_views) {
        const Control& c = m_face.Get(view.id);
        if (c.version == view.version) continue;
        apply(view, c);
        view.version = c.version;
    }
    if (m_face.WindowVersion() != m_windowVersion || m_menuDirty) applyWindow();
    m_syncedVersion = m_face.Version();
}

void DialerWindow::copyBack() {
    for (View& view : m_views) {
        if (view.widget == nullptr) continue; // never shown, so never changed by the user
        if (view.kind == ControlKind::Edit) {
            auto* edit = static_cast<QLineEdit*>(view.widget);
            const QString text = edit->text();
            // An untouched text keeps the model's own bytes.
            if (text != view.pushedText) {
                m_face.UserSetText(view.id, modeltext::toModel(text));
                view.pushedText = text;
            }
            int start = edit->cursorPosition();
            int end = start;
            if (edit->hasSelectedText()) {
                start = edit->selectionStart();
                end = edit->selectionEnd();
            }
            m_face.UserSetEditSel(view.id, start, end);
        } else if (view.kind == ControlKind::Slider) {
            m_face.UserSetSliderPos(view.id, static_cast<QSlider*>(view.widget)->sliderPosition());
        }
    }
    const QWidget* focus = focusWidget();
    m_face.UserSetFocus(focus != nullptr ? focus->property(kIdProperty).toInt() : 0);
}

void DialerWindow::callCore(const std::function<void()>& handler) {
    if (m_ended) return;
    copyBack();
    handler();
    sync();
    if (m_dialog.IsEnded()) finish();
    emit coreCalled();
}

void DialerWindow::finish() {
    if (m_ended) return;
    m_ended = true;
    done(QDialog::Accepted);
}

void DialerWindow::initDialog(const std::string& privateContactsPath) {
    callCore([this, &privateContactsPath] { m_dialog.OnInitDialog(privateContactsPath); });
}

QWidget* DialerWindow::control(int id) {
    View* view = viewOf(id);
    if (view == nullptr) return nullptr;
    if (view->widget == nullptr) {
        // Made now instead of when the control is first shown: that changes what the
        // window holds, not what it shows.
        const QScopedValueRollback syncing(m_syncing, true);
        const Control& c = m_face.Get(id);
        makeWidget(*view);
        apply(*view, c);
        view->version = c.version;
    }
    return view->widget;
}

QAction* DialerWindow::menuAction(int id) const {
    auto it = m_actions.find(id);
    return it != m_actions.end() ? it->second : nullptr;
}

DialerWindow::View* DialerWindow::viewOf(int id) {
    auto it = m_viewIndex.find(id);
    return it != m_viewIndex.end() ? &m_views[it->second] : nullptr;
}

bool DialerWindow::focusNextPrevChild(bool next) {
    if (m_syncing) return true;
    return QDialog::focusNextPrevChild(next);
}

void DialerWindow::keyPressEvent(QKeyEvent* event) {
    // Keys of a focused control went through eventFilter already.
    if ((focusWidget() == nullptr || focusWidget() == this) && keyboardKey(event)) return;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            callCore([this] { m_dialog.OnOK(); });
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            callCore([this] { m_dialog.OnCancel(); });
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void DialerWindow::reject() {
    // Whatever asks the window to cancel goes the way of Escape.
    callCore([this] { m_dialog.OnCancel(); });
}

void DialerWindow::closeEvent(QCloseEvent* event) {
    if (m_ended) {
        event->accept();
        return;
    }
    // The dialog decides; it ends itself when it is done.
    event->ignore();
    callCore([this] { m_dialog.OnClose(); });
}

bool DialerWindow::keyboardKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier && mods != Qt::ShiftModifier) return false;
    bool taken = false;
    if (event->key() == Qt::Key_Backspace && mods == Qt::NoModifier) {
        callCore([this, &taken] { taken = m_dialog.OnKeyboardBackspace(); });
    } else if (event->text().size() == 1) {
        const char key = event->text().at(0).toLatin1();
        if ((key >= '0' && key <= '9') || key == '*' || key == '#')
            callCore([this, key, &taken] { taken = m_dialog.OnKeyboardKeypad(key); });
    }
    return taken;
}

bool DialerWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: m_lastPressed = watched; break;
    case QEvent::MouseButtonDblClick:
        // The second click of a double click that lands on another control than the first
        // (the first one changed the face under the pointer) is no click at all.
        if (watched != m_lastPressed) {
            m_swallowRelease = watched;
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched == m_swallowRelease) {
            m_swallowRelease = nullptr;
            return true;
        }
        break;
    case QEvent::KeyPress:
        // Once, at the control that has the focus (not again where the key is passed on).
        if (watched == focusWidget() && keyboardKey(static_cast<QKeyEvent*>(event))) return true;
        break;
    default: break;
    }
    const int id = watched->property(kIdProperty).toInt();
    const View* view = viewOf(id);
    if (view == nullptr || view->tree == nullptr) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched != view->tree || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter))
            break;
        // Enter on the selected row activates it as a double click does.
        const QModelIndex current = view->tree->selectionModel()->currentIndex();
        if (!current.isValid() || !view->tree->selectionModel()->isRowSelected(current.row()))
            break;
        const int row = current.row();
        callCore([this, id, row] { m_dialog.OnListActivate(id, row, false); });
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) break;
        m_pressList = id;
        // A click below the last row hits no row.
        m_pressRow = view->tree->indexAt(mouse->position().toPoint()).row();
        break;
    }
    case QEvent::MouseButtonDblClick: {
        // The second click of a double click is no click of its own; the double click
        // activates the row.
        m_pressList = 0;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) break;
        const int row = view->tree->indexAt(mouse->position().toPoint()).row();
        if (row < 0) break;
        QTimer::singleShot(0, this, [this, id, row] {
            callCore([this, id, row] { m_dialog.OnListActivate(id, row, true); });
        });
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || m_pressList != id) break;
        const int row = m_pressRow;
        m_pressList = 0;
        // Reported once the list has finished with the click, as the list's own click
        // notification is; the handler may open a modal box.
        QTimer::singleShot(0, this, [this, id, row] {
            callCore([this, id, row] { m_dialog.OnListClick(id, row); });
        });
        break;
    }
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

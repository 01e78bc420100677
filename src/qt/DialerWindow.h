// The phone face window: one widget per control of the face model, kept in step with the
// model after every handler, and every click, key and menu command turned into a call of
// the dialog's handlers.
#pragma once

#include "DialogUnits.h"
#include "FaceModel.h"
#include "TwoLineRows.h"

#include <QDialog>
#include <QFont>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QMenuBar;
class QTreeView;
class FaceListModel;

namespace orvane {
class CDialerDlg;
}

class DialerWindow : public QDialog {
    Q_OBJECT
  public:
    explicit DialerWindow(orvane::CDialerDlg& dialog, QWidget* parent = nullptr);
    ~DialerWindow() override;

    // Gives the application the face's style and font, before any window is made: the
    // program's boxes then write in the face's font, and no other font is loaded to start
    // (Qt lays out an edit's text in the application's font before the edit's own is set).
    static void prepareApplication();

    // Runs the dialog's start-up and brings the window in step; then exec() the window.
    void initDialog(const std::string& privateContactsPath);

    // Every call into the dialog goes through here: what the user changed in the widgets is
    // copied into the face model first, the window is brought in step afterwards, and the
    // window closes once the dialog has ended. Safe to nest (modal boxes run event loops).
    void callCore(const std::function<void()>& handler);

    // Brings the widgets in step with the face model: only controls whose version moved.
    void sync();

    // The widget that shows a control of the face, and the menu command of an id. A
    // control the face has not shown yet gets its widget here, hidden and in step.
    QWidget* control(int id);
    QAction* menuAction(int id) const;
    QMenuBar* faceMenuBar() const { return m_menuBar; }
    const DialogUnits& units() const { return m_units; }
    // The font a control of the face model is drawn with.
    QFont fontFor(orvane::FontId font) const;
    // The face's bold font of that cell height.
    QFont cellFont(int height) const;
    orvane::CDialerDlg& dialog() { return m_dialog; }

  Q_SIGNALS:
    // After every call into the dialog, once the window is in step with the face.
    void coreCalled();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // A computer-keyboard key the dialog takes as a keypad key or the backspace key.
    bool keyboardKey(QKeyEvent* event);
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    struct View {
        int id = 0;
        orvane::ControlKind kind = orvane::ControlKind::Text;
        int order = 0;             // place in the template; the first control lies on top
        QWidget* widget = nullptr; // none until the control is first shown or asked for
        std::uint64_t version = 0;
        QString pushedText;            // edits: the text last written from the model
        FaceListModel* list = nullptr; // lists
        QTreeView* tree = nullptr;
        int shownSelection = -2;
        int shownScroll = -2;
        int fittedRows = -1;    // rows the column widths were last fitted to
        SharedPlan twoLines;    // lists: where columns go when rows have two lines
        int listCellHeight = 0; // lists: a smaller font's cell height that fits; 0 none
    };

    void createControls();
    void createMenu();
    QWidget* makeWidget(View& view);
    // Where a control's widget goes, in pixels of the face.
    QRect placeOf(const orvane::Control& control, const QFont& font) const;
    QWidget* createWidget(View& view, const orvane::Control& control);
    void orderTabs();
    void apply(View& view, const orvane::Control& control);
    void applyList(View& view, const orvane::Control& control);
    void fitColumns(View& view, const orvane::Control& control);
    void applyWindow();
    void copyBack();
    void finish();
    View* viewOf(int id);

    orvane::CDialerDlg& m_dialog;
    orvane::FaceModel& m_face;
    QFont m_dialogFont;
    DialogUnits m_units;
    QWidget* m_faceArea = nullptr;
    QMenuBar* m_menuBar = nullptr;
    std::vector<View> m_views;
    std::map<int, std::size_t> m_viewIndex;
    std::map<int, QAction*> m_actions;
    mutable std::map<int, QFont> m_cellFonts; // by cell height
    std::uint64_t m_syncedVersion = 0;
    std::uint64_t m_windowVersion = 0;
    bool m_menuDirty = true;
    bool m_ended = false;
    // While widgets are brought in step, hiding the focused one must not move the focus
    // on (the model says where it is; a moved focus would also select an edit's text).
    bool m_syncing = false;
    bool m_tabsOrdered = false; // set once the widgets made at start are in tab order
    // A list click is reported when the button comes up, with the row it went down on.
    int m_pressList = 0;
    int m_pressRow = -1;
    // The control the last mouse button went down on, and one whose next release is
    // dropped with the stray second click of a double click.
    QObject* m_lastPressed = nullptr;
    QObject* m_swallowRelease = nullptr;
};

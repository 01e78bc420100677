// The phone face window on Windows: a dialog whose controls are made from the face model,
// kept in step with it after every handler, and every click, key and menu command turned
// into a call of the dialog's handlers.
#pragma once

#include "DialerAdapter.h"
#include "FaceModel.h"
#include "TwoLinePlan.h"

#include "WinApi.h"
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class WinDatagramPort;

class FaceWindow {
  public:
    // The face's size in dialog units of the window's font.
    static constexpr int kFaceWidthDlu = 170;
    static constexpr int kFaceHeightDlu = 279;

    explicit FaceWindow(DialerAdapter& dialog);
    ~FaceWindow();
    FaceWindow(const FaceWindow&) = delete;
    FaceWindow& operator=(const FaceWindow&) = delete;

    // Makes the window with every control of the face as the template builds it. False
    // when the system refuses.
    bool create();
    HWND hwnd() const { return m_hwnd; }
    DialerAdapter& adapter() { return m_dialog; }
    void setSocket(WinDatagramPort* socket) { m_socket = socket; }

    // Runs the dialog's start-up and brings the window in step.
    void initDialog(const std::string& privateContactsPath);
    // Every call into the dialog goes through here: what the user changed in the controls
    // is copied into the face model first, the window is brought in step afterwards, and the
    // window closes once the dialog has ended. Safe to nest (modal boxes run message loops).
    void callCore(const std::function<void()>& handler);
    // The same for a datagram of a burst: the lists are left as they are until
    // flushLists(), so a list filled by many datagrams is counted and painted once.
    void callCoreInBurst(const std::function<void()>& handler);
    // Brings the lists left behind by a burst in step. Any other call into the dialog does
    // so as well.
    void flushLists();
    // How long a list has waited for the end of a burst, in milliseconds (0: none waits).
    unsigned listsWaitingMs() const;
    // Brings the controls in step with the face model: only controls whose version moved.
    void sync();

    // A message of the program's loop before it is dispatched: the keys the face takes
    // itself. True when the message was used up.
    bool preTranslate(MSG& msg);

    // The control window showing a face control; null for an unknown id. A control the
    // face has not shown yet gets its window here, hidden and in step.
    HWND control(int id);
    // Where a face control lies, in client pixels of the window.
    RECT placeOf(int id) const;
    HMENU menu() const { return m_menu; }
    // Writes every visible control's place on the screen to `path` after each change, for
    // scripts that drive the window (one line each: id left top right bottom).
    void setLayoutFile(const std::wstring& path) { m_layoutFile = path; }

  private:
    struct View {
        int id = 0;
        orvane::ControlKind kind = orvane::ControlKind::Text;
        HWND hwnd = nullptr;
        std::uint64_t version = 0;
        std::wstring pushedText; // edits: the text last written from the model
        std::wstring shownTag;   // edits: the tag word drawn at the right end
        int plainMargin = 0;     // edits: the right margin without a tag
        HFONT font = nullptr;
        // Lists.
        std::uint64_t listReset = ~std::uint64_t{0};
        std::size_t columns = 0;
        int rows = -1;
        int shownSelection = -2;
        int shownScroll = -2;
        int fittedRows = -1; // rows the column widths were last fitted to
        orvane::ImageListId imageList = orvane::ImageListId::None;
        orvane::TwoLinePlan twoLines; // lists: where columns go when rows have two lines
        int listCellHeight = 0;       // lists: a smaller font's cell height that fits; 0 none
        bool password = false;
        // Owner-drawn controls: what was last drawn from the model.
        orvane::ImageSet shownImages;
        int shownBitmap = -1;
    };

    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void makeWindow(View& view);
    void createMenu();
    void apply(View& view, const orvane::Control& c);
    void applyList(View& view, const orvane::Control& c);
    void fitColumns(View& view, const orvane::ListData& l);
    // The small images a list's rows show; while its rows have two lines, empty images as
    // tall as two lines, which give the rows their height.
    void setRowImages(View& view);
    // Draws a row of a two-line list (custom draw of its rows).
    void drawTwoLineRow(const View& view, const NMLVCUSTOMDRAW& draw);
    static LRESULT CALLBACK listTwoLineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data);
    static LRESULT CALLBACK headerTwoLineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR id, DWORD_PTR data);
    void drawTwoLineHeading(const View& view, const DRAWITEMSTRUCT& item);
    void applyWindow();
    void copyBack();
    void finish();
    void writeLayout() const;
    bool onNotify(NMHDR* header, LRESULT& result);
    void drawItem(const DRAWITEMSTRUCT& item);
    HFONT fontFor(orvane::FontId font);
    // The bold face font of this cell height (pixels at 96 dots an inch), at the window's
    // density.
    HFONT cellFont(int height);
    void showEditTag(View& view, const std::wstring& tag);
    void paintEditTag(HWND edit, const std::wstring& tag);
    static LRESULT CALLBACK editTagProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR data);
    // `font`, or the largest smaller size of it at which `text` fits the control's width.
    HFONT fitting(HFONT font, HWND control, const std::wstring& text);
    View* viewOf(int id);
    const View* viewOf(int id) const;
    View* viewOfWindow(HWND hwnd);

    DialerAdapter& m_dialog;
    orvane::FaceModel& m_face;
    WinDatagramPort* m_socket = nullptr;
    HWND m_hwnd = nullptr;
    HMENU m_menu = nullptr;
    std::vector<View> m_views;
    std::map<int, std::size_t> m_viewIndex;
    std::map<int, HFONT> m_cellFonts;                     // by cell height
    std::map<std::pair<HFONT, int>, HFONT> m_fittedFonts; // smaller sizes: by font and pixels
    std::map<orvane::ImageListId, HIMAGELIST> m_imageLists;
    std::map<int, HIMAGELIST> m_tallImages; // empty row images, by height
    UINT m_dpi = 96;                        // the screen density the window is on
    UINT m_createdDpi = 96;                 // the density it was made at
    LOGFONTW m_dialogLook{};                // the window's own font there
    HFONT m_scaledDialogFont = nullptr;     // that font at m_dpi, once the density changed
    std::uint64_t m_syncedVersion = 0;
    std::uint64_t m_windowVersion = ~std::uint64_t{0};
    bool m_ended = false;
    bool m_syncing = false;
    bool m_deferLists = false;        // this sync leaves the lists for the burst's end
    bool m_listsBehind = false;       // a list view is behind the model
    ULONGLONG m_listsBehindSince = 0; // since then
    bool m_dropBackspaceChar = false;
    std::wstring m_layoutFile;
    std::wstring m_dispText; // the text a list view asked for last
};

// The phone face as plain data: every control of the window with what a window control
// holds. Handlers change only this model; the shell draws it and copies back what the
// user typed, selected or dragged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

enum class ControlKind {
    PushButton,  // text push button (soft keys, hidden OK and console buttons)
    ImageButton, // push button showing one bitmap (keypad, Vol + and Vol -)
    MyButton,    // owner-drawn key with four image slots (CMyButton)
    Text,        // static text
    Bitmap,      // static showing one bitmap
    Edit,        // single-line edit
    Slider,      // horizontal trackbar
    List,        // report-view list
};

enum class FontId { Dialog, A, B, C };
enum class Align { Left, Center, Right };

// Dialog units: x, y, width, height.
struct DluRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// CMyButton's image slots: normal, pressed, focus, disabled bitmap ids; 0 = empty.
struct ImageSet {
    int normal = 0, pressed = 0, focus = 0, disabled = 0;
    bool operator==(const ImageSet& o) const {
        return normal == o.normal && pressed == o.pressed && focus == o.focus &&
               disabled == o.disabled;
    }
    bool operator!=(const ImageSet& o) const { return !(*this == o); }
};

// The picture a CMyButton draws in a given state: 0 (nothing) when the normal slot is
// empty; otherwise pressed, focus, disabled in that order when their slot is filled,
// else normal.
int ChooseButtonImage(const ImageSet& set, bool pressed, bool focused, bool disabled);

enum class ImageListId { None, Devices, CallLog };

// The icon id a list row shows for an image index of its list's image list; 0 for none.
int ListIcon(ImageListId images, int image);

struct ListColumn {
    std::string heading;
    int width = 0; // pixels
    Align align = Align::Left;
};

struct ListRow {
    std::vector<std::string> texts; // one per column
    int image = -1;                 // index into the list's image list; -1 none
};

struct ListData {
    std::vector<ListColumn> columns;
    std::vector<ListRow> rows;
    ImageListId imageList = ImageListId::None;
    bool subItemImages = false;
    int selected = -1; // the row marked selected, -1 none
    int scrollTo = -1; // the row last asked to be scrolled into view
    // Grows whenever rows or columns change other than by appending at the end, so a
    // view knows when it must rebuild instead of inserting the new rows.
    std::uint64_t resetCount = 0;
};

struct Control {
    int id = 0;
    ControlKind kind = ControlKind::Text;
    DluRect rect;
    bool visible = false;
    bool enabled = true;
    std::string text;
    FontId font = FontId::Dialog;
    Align align = Align::Left;
    bool vcenter = false;   // text centred vertically
    bool multiLine = false; // soft keys wrap their label
    bool tabStop = false;
    bool password = false;    // edit shows '*' for each character
    int maxLength = 0;        // edit: most characters the user can type; 0 = no limit
    bool clipImage = false;   // bitmap static: picture clipped to the control
    bool sizeToImage = false; // bitmap static: control takes the bitmap's size
    ImageSet images;          // MyButton
    int bitmap = 0;           // ImageButton and Bitmap
    // Slider.
    int rangeMin = 0, rangeMax = 100, pos = 0, tickFreq = 1, lineSize = 1, pageSize = 10;
    // Edit: selection as character positions; start == end is a caret.
    int selStart = 0, selEnd = 0;
    // Edit: a short word shown inside the edit beside its text, telling what the text is
    // for (the console's mark); empty for none.
    std::string tag;
    ListData list;
    std::uint64_t version = 0; // the model's change counter at this control's last change
};

struct MenuItem {
    int id = 0;   // 0 for a separator
    int menu = 0; // 0 "Devices", 1 "Help"
    std::string text;
    bool enabled = true;
    bool checked = false;
};

class FaceModel {
  public:
    FaceModel(); // the face as the dialog template builds it, before initialisation

    // Window.
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& caption);
    int FontBHeight() const { return m_fontBHeight; }
    void SetFontBHeight(int px);
    static int FontHeight(FontId font, int fontBHeight);

    // Controls.
    bool Has(int id) const;
    const Control& Get(int id) const;
    const std::vector<Control>& Controls() const { return m_controls; }

    void Show(int id, bool show);
    bool IsVisible(int id) const { return Get(id).visible; }
    void Enable(int id, bool enable);
    bool IsEnabled(int id) const { return Get(id).enabled; }
    void SetText(int id, const std::string& text);
    const std::string& Text(int id) const { return Get(id).text; }
    void SetFont(int id, FontId font);
    void SetImages(int id, const ImageSet& images); // CMyButton::LoadBitmaps
    void SetBitmap(int id, int bitmap);
    void SetPassword(int id, bool masked);
    // Limits what the user can type into an edit (EM_LIMITTEXT); 0 removes the limit.
    void SetLimitText(int id, int maxLength);
    void SetTag(int id, const std::string& tag);
    void SetEditSel(int id, int start, int end); // selection and scroll caret into view
    void SetSliderRange(int id, int min, int max, int tickFreq, int lineSize, int pageSize);
    void SetSliderPos(int id, int pos);
    void Redraw(int id); // invalidate and update at once

    // Focus: the control id that has the keyboard focus, 0 for none.
    int Focus() const { return m_focus; }
    void SetFocus(int id);

    // Lists.
    const ListData& List(int id) const { return Get(id).list; }
    int ListRowCount(int id) const { return static_cast<int>(Get(id).list.rows.size()); }
    void ListDeleteAll(int id);
    int ListInsertRow(int id, int index, const std::string& text, int image = -1);
    void ListSetItemText(int id, int row, int column, const std::string& text);
    void ListSelect(int id, int row); // -1 clears
    void ListEnsureVisible(int id, int row);
    void ListInsertColumn(int id, int index, const ListColumn& column);
    void ListDeleteColumn(int id, int index);
    void ListSetImageList(int id, ImageListId images, bool subItemImages);

    // Menu bar.
    const std::vector<MenuItem>& MenuItems() const { return m_menu; }
    const MenuItem& Menu(int id) const;
    void CheckMenu(int id, bool checked);
    void EnableMenu(int id, bool enabled);
    bool IsMenuChecked(int id) const { return Menu(id).checked; }
    bool IsMenuEnabled(int id) const { return Menu(id).enabled; }

    // What the user changed in the window, copied back without counting as a change the
    // window must redraw.
    void UserSetText(int id, const std::string& text);
    void UserSetEditSel(int id, int start, int end);
    void UserSetSliderPos(int id, int pos);
    void UserSetFocus(int id) { m_focus = id; }

    // Change tracking: every change stamps the control (or the window) with the next
    // value of one counter.
    std::uint64_t Version() const { return m_version; }
    std::uint64_t WindowVersion() const { return m_windowVersion; }

  private:
    Control& Mut(int id);
    void Touch(Control& c) { c.version = ++m_version; }
    void TouchWindow() { m_windowVersion = ++m_version; }

    std::vector<Control> m_controls;
    std::vector<int> m_index; // control id - 1000 -> position in m_controls
    std::vector<MenuItem> m_menu;
    std::string m_caption;
    int m_fontBHeight = 16;
    int m_focus = 0;
    std::uint64_t m_version = 0;
    std::uint64_t m_windowVersion = 0;
};

// The tab keys' image sets for each state of the tab highlight.
enum class TabState { StartUp, Dialpad, Menu, Contacts, CallLogs };
struct TabImages {
    ImageSet menu, contacts, callLogs, dialpad;
};
TabImages TabImagesFor(TabState state);

} // namespace orvane

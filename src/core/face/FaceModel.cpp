#include "FaceModel.h"

#include "FaceIds.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>

namespace orvane {

int ChooseButtonImage(const ImageSet& set, bool pressed, bool focused, bool disabled) {
    if (set.normal == 0) return 0;
    if (pressed && set.pressed != 0) return set.pressed;
    if (focused && set.focus != 0) return set.focus;
    if (disabled && set.disabled != 0) return set.disabled;
    return set.normal;
}

namespace {

Control Make(int id, ControlKind kind, DluRect rect, bool visible) {
    Control c;
    c.id = id;
    c.kind = kind;
    c.rect = rect;
    c.visible = visible;
    return c;
}

Control TextLine(int id, DluRect rect, Align align, FontId font) {
    Control c = Make(id, ControlKind::Text, rect, true);
    c.align = align;
    c.vcenter = true;
    c.font = font;
    return c;
}

Control SmallIcon(int id, DluRect rect, int bitmap, bool clip) {
    Control c = Make(id, ControlKind::Bitmap, rect, false);
    c.bitmap = bitmap;
    c.clipImage = clip;
    c.sizeToImage = !clip;
    return c;
}

Control MyButton(int id, DluRect rect, bool visible, ImageSet images) {
    Control c = Make(id, ControlKind::MyButton, rect, visible);
    c.images = images;
    return c;
}

Control SoftKey(int id, DluRect rect, const char* caption) {
    Control c = Make(id, ControlKind::PushButton, rect, true);
    c.text = caption;
    c.multiLine = true;
    c.font = FontId::B;
    return c;
}

Control ListView(int id, DluRect rect) {
    Control c = Make(id, ControlKind::List, rect, false);
    c.tabStop = true;
    return c;
}

Control EditorField(int id, DluRect rect) {
    Control c = Make(id, ControlKind::Edit, rect, false);
    c.align = Align::Center;
    c.tabStop = true;
    return c;
}

Control Label(int id, DluRect rect, const char* text) {
    Control c = Make(id, ControlKind::Text, rect, false);
    c.text = text;
    c.align = Align::Right;
    return c;
}

std::vector<Control> TemplateControls() {
    using namespace Ctl;
    std::vector<Control> v;
    v.reserve(64); // every control of the template, built once per dialog without moves
    const TabImages tabs = TabImagesFor(TabState::StartUp);
    v.push_back(MyButton(DialpadTab, {18, 25, 32, 28}, true, tabs.dialpad));
    v.push_back(MyButton(CallLogsTab, {50, 25, 32, 28}, true, tabs.callLogs));
    v.push_back(MyButton(ContactsTab, {82, 25, 32, 28}, true, tabs.contacts));
    v.push_back(MyButton(MenuTab, {114, 25, 32, 28}, true, tabs.menu));
    v.push_back(SmallIcon(UsbIcon, {7, 4, 11, 11}, Bmp::Usb, false));
    v.push_back(SmallIcon(PhoneIcon, {17, 3, 11, 11}, Bmp::Phone, true));
    v.push_back(SmallIcon(PhoneOffIcon, {17, 3, 11, 11}, Bmp::PhoneOff, true));
    v.push_back(SmallIcon(HdIcon, {29, 3, 11, 11}, Bmp::Hd, true));
    v.push_back(SmallIcon(DndIcon, {40, 2, 11, 11}, Bmp::Dnd, true));
    v.push_back(SmallIcon(StatusIcon, {136, 0, 19, 19}, Bmp::Bell, false));
    v.push_back(TextLine(DisplayLine1, {24, 55, 121, 11}, Align::Left, FontId::B));
    v.push_back(TextLine(DisplayLine0, {7, 65, 155, 15}, Align::Center, FontId::A));
    v.push_back(TextLine(DisplayLine2, {25, 63, 121, 13}, Align::Left, FontId::B));
    v.push_back(TextLine(DisplayLine3, {24, 75, 121, 11}, Align::Left, FontId::B));
    Control entry = Make(EntryEdit, ControlKind::Edit, {25, 65, 119, 15}, true);
    entry.tabStop = true;
    entry.font = FontId::A;
    v.push_back(entry);
    Control slider = Make(VolumeSlider, ControlKind::Slider, {51, 82, 68, 13}, false);
    slider.tabStop = true;
    v.push_back(slider);
    v.push_back(ListView(DeviceList, {7, 89, 155, 78}));
    v.push_back(ListView(PhonebookList, {7, 89, 155, 101}));
    v.push_back(ListView(CallLogList, {7, 89, 155, 100}));
    v.push_back(ListView(MenuList, {23, 90, 124, 102}));
    v.push_back(Label(NameLabel, {29, 85, 31, 11}, "Name :"));
    v.push_back(EditorField(NameEdit, {70, 84, 66, 12}));
    v.push_back(Label(NumberLabel, {25, 98, 36, 11}, "Number :"));
    v.push_back(EditorField(NumberEdit, {69, 98, 66, 12}));

    struct KeyDef {
        int id, row, col, bitmap;
    };
    const KeyDef keys[] = {
        {Key1, 0, 0, Bmp::Key1},       {Key2, 0, 1, Bmp::Key2}, {Key3, 0, 2, Bmp::Key3},
        {Key4, 1, 0, Bmp::Key4},       {Key5, 1, 1, Bmp::Key5}, {Key6, 1, 2, Bmp::Key6},
        {Key7, 2, 0, Bmp::Key7},       {Key8, 2, 1, Bmp::Key8}, {Key9, 2, 2, Bmp::Key9},
        {KeyStar, 3, 0, Bmp::KeyStar}, {Key0, 3, 1, Bmp::Key0}, {KeyHash, 3, 2, Bmp::KeyHash},
    };
    const int colX[] = {40, 71, 103};
    const int rowY[] = {98, 126, 154, 182};
    for (const KeyDef& k : keys) {
        Control c = Make(k.id, ControlKind::ImageButton, {colX[k.col], rowY[k.row], 32, 28}, true);
        c.bitmap = k.bitmap;
        v.push_back(c);
    }
    Control volPlus = Make(VolPlus, ControlKind::ImageButton, {18, 145, 18, 18}, true);
    volPlus.bitmap = Bmp::VolUp;
    v.push_back(volPlus);
    Control volMinus = Make(VolMinus, ControlKind::ImageButton, {18, 163, 18, 18}, true);
    volMinus.bitmap = Bmp::VolDown;
    v.push_back(volMinus);
    v.push_back(MyButton(Mute, {18, 182, 18, 18}, false, {Bmp::MuteKey, 0, 0, 0}));
    v.push_back(SoftKey(F1, {40, 210, 32, 28}, "F1"));
    v.push_back(MyButton(EditKey, {39, 210, 32, 28}, false, {}));
    v.push_back(SoftKey(F2, {71, 210, 32, 28}, "F2"));
    v.push_back(MyButton(DeleteKey, {71, 210, 32, 28}, false, {}));
    v.push_back(SoftKey(F3, {103, 210, 32, 28}, "F3"));
    v.push_back(MyButton(BackKey, {103, 210, 32, 28}, false, {}));
    v.push_back(MyButton(Send, {55, 239, 32, 28}, true,
                         {Bmp::SendNormal, Bmp::SendPressed, 0, Bmp::SendDisabled}));
    v.push_back(MyButton(End, {87, 239, 32, 28}, true, {Bmp::EndNormal, Bmp::EndPressed, 0, 0}));
    Control secret = Make(LinuxSecret, ControlKind::PushButton, {114, 257, 49, 15}, false);
    secret.text = "&Linux Secret";
    v.push_back(secret);
    Control ok = Make(Ok, ControlKind::PushButton, {132, 240, 30, 15}, false);
    ok.text = "OK";
    v.push_back(ok);
    return v;
}

std::vector<MenuItem> TemplateMenu() {
    return {
        {Menu::Enumerate, 0, "Enumerate", true, false},
        {Menu::SetIp, 0, "Set IP", true, false},
        {Menu::Release, 0, "Release", true, false},
        {0, 0, "", true, false},
        {Menu::AttachPrivate, 0, "Attach as Private Controller", false, false},
        {Menu::ReleasePrivate, 0, "Release Private attached Device", false, false},
        {0, 0, "", true, false},
        {Menu::UsePrivateContacts, 0, "Use Private Contact List", true, false},
        {Menu::NameFirst, 0, "Set 'Name' as the first coloumn in device list", true, false},
        {Menu::About, 1, "About ...", true, false},
    };
}

constexpr int kIndexBase = 1000;
constexpr int kIndexSize = 64;

} // namespace

FaceModel::FaceModel() : m_controls(TemplateControls()), m_menu(TemplateMenu()) {
    m_caption = "Orvane Dialer";
    m_index.assign(kIndexSize, -1);
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        const int id = m_controls[i].id;
        if (id == Ctl::Ok) continue;
        assert(id >= kIndexBase && id < kIndexBase + kIndexSize);
        m_index[static_cast<std::size_t>(id - kIndexBase)] = static_cast<int>(i);
    }
}

bool FaceModel::Has(int id) const {
    if (id == Ctl::Ok) return true;
    return id >= kIndexBase && id < kIndexBase + kIndexSize &&
           m_index[static_cast<std::size_t>(id - kIndexBase)] >= 0;
}

const Control& FaceModel::Get(int id) const {
    return const_cast<FaceModel*>(this)->Mut(id);
}

Control& FaceModel::Mut(int id) {
    if (id == Ctl::Ok) return m_controls.back();
    if (!Has(id)) throw std::out_of_range("no control with id " + std::to_string(id));
    return m_controls[static_cast<std::size_t>(m_index[static_cast<std::size_t>(id - kIndexBase)])];
}

void FaceModel::SetCaption(const std::string& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    TouchWindow();
}

void FaceModel::SetFontBHeight(int px) {
    if (px == m_fontBHeight) return;
    m_fontBHeight = px;
    for (Control& c : m_controls)
        if (c.font == FontId::B) Touch(c);
    TouchWindow();
}

int FaceModel::FontHeight(FontId font, int fontBHeight) {
    switch (font) {
    case FontId::A: return 32;
    case FontId::B: return fontBHeight;
    case FontId::C: return 26;
    case FontId::Dialog: break;
    }
    return 0;
}

void FaceModel::Show(int id, bool show) {
    Control& c = Mut(id);
    if (c.visible == show) return;
    c.visible = show;
    Touch(c);
}

void FaceModel::Enable(int id, bool enable) {
    Control& c = Mut(id);
    if (c.enabled == enable) return;
    c.enabled = enable;
    Touch(c);
}

void FaceModel::SetText(int id, const std::string& text) {
    Control& c = Mut(id);
    c.text = text;
    if (c.kind == ControlKind::Edit) {
        // Setting an edit's text puts the caret at its start, as a window edit does.
        c.selStart = c.selEnd = 0;
    }
    Touch(c);
}

void FaceModel::SetFont(int id, FontId font) {
    Control& c = Mut(id);
    if (c.font == font) return;
    c.font = font;
    Touch(c);
}

void FaceModel::SetImages(int id, const ImageSet& images) {
    Control& c = Mut(id);
    c.images = images;
    Touch(c);
}

void FaceModel::SetBitmap(int id, int bitmap) {
    Control& c = Mut(id);
    c.bitmap = bitmap;
    Touch(c);
}

void FaceModel::SetPassword(int id, bool masked) {
    Control& c = Mut(id);
    if (c.password == masked) return;
    c.password = masked;
    Touch(c);
}

void FaceModel::SetLimitText(int id, int maxLength) {
    Control& c = Mut(id);
    if (c.maxLength == maxLength) return;
    c.maxLength = maxLength;
    Touch(c);
}

void FaceModel::SetTag(int id, const std::string& tag) {
    Control& c = Mut(id);
    if (c.tag == tag) return;
    c.tag = tag;
    Touch(c);
}

void FaceModel::SetEditSel(int id, int start, int end) {
    Control& c = Mut(id);
    const int len = static_cast<int>(c.text.size());
    if (start < 0) { // a negative start removes the selection, leaving the caret at the end
        start = end = len;
    }
    c.selStart = std::clamp(start, 0, len);
    c.selEnd = std::clamp(end < 0 ? len : end, 0, len);
    Touch(c);
}

void FaceModel::SetSliderRange(int id, int min, int max, int tickFreq, int lineSize, int pageSize) {
    Control& c = Mut(id);
    c.rangeMin = min;
    c.rangeMax = max;
    c.tickFreq = tickFreq;
    c.lineSize = lineSize;
    c.pageSize = pageSize;
    c.pos = std::clamp(c.pos, min, max);
    Touch(c);
}

void FaceModel::SetSliderPos(int id, int pos) {
    Control& c = Mut(id);
    c.pos = std::clamp(pos, c.rangeMin, c.rangeMax);
    Touch(c);
}

void FaceModel::Redraw(int id) {
    Touch(Mut(id));
}

void FaceModel::SetFocus(int id) {
    m_focus = id;
    TouchWindow();
}

void FaceModel::ListDeleteAll(int id) {
    Control& c = Mut(id);
    c.list.rows.clear();
    c.list.selected = -1;
    c.list.scrollTo = -1;
    ++c.list.resetCount;
    Touch(c);
}

int FaceModel::ListInsertRow(int id, int index, const std::string& text, int image) {
    Control& c = Mut(id);
    ListData& l = c.list;
    const int count = static_cast<int>(l.rows.size());
    if (index < 0 || index > count) index = count;
    ListRow row;
    row.texts.assign(std::max<std::size_t>(l.columns.size(), 1), std::string());
    row.texts[0] = text;
    row.image = image;
    l.rows.insert(l.rows.begin() + index, std::move(row));
    if (index != count) {
        ++l.resetCount;
        if (l.selected >= index) ++l.selected;
    }
    Touch(c);
    return index;
}

void FaceModel::ListSetItemText(int id, int row, int column, const std::string& text) {
    Control& c = Mut(id);
    ListData& l = c.list;
    if (row < 0 || row >= static_cast<int>(l.rows.size()) || column < 0) return;
    auto& texts = l.rows[static_cast<std::size_t>(row)].texts;
    if (static_cast<std::size_t>(column) >= texts.size())
        texts.resize(static_cast<std::size_t>(column) + 1);
    texts[static_cast<std::size_t>(column)] = text;
    // A change to the newest row is part of appending it; anything older is a rewrite.
    if (row != static_cast<int>(l.rows.size()) - 1) ++l.resetCount;
    Touch(c);
}

void FaceModel::ListSelect(int id, int row) {
    Control& c = Mut(id);
    if (row >= static_cast<int>(c.list.rows.size())) return; // beyond the last row: nothing
    c.list.selected = row < 0 ? -1 : row;
    Touch(c);
}

void FaceModel::ListEnsureVisible(int id, int row) {
    Control& c = Mut(id);
    if (row < 0 || row >= static_cast<int>(c.list.rows.size())) return;
    c.list.scrollTo = row;
    Touch(c);
}

void FaceModel::ListInsertColumn(int id, int index, const ListColumn& column) {
    Control& c = Mut(id);
    auto& cols = c.list.columns;
    if (index < 0 || index > static_cast<int>(cols.size())) index = static_cast<int>(cols.size());
    cols.insert(cols.begin() + index, column);
    for (ListRow& r : c.list.rows)
        if (static_cast<std::size_t>(index) <= r.texts.size())
            r.texts.insert(r.texts.begin() + index, std::string());
    ++c.list.resetCount;
    Touch(c);
}

void FaceModel::ListDeleteColumn(int id, int index) {
    Control& c = Mut(id);
    auto& cols = c.list.columns;
    if (index < 0 || index >= static_cast<int>(cols.size())) return;
    cols.erase(cols.begin() + index);
    for (ListRow& r : c.list.rows)
        if (static_cast<std::size_t>(index) < r.texts.size())
            r.texts.erase(r.texts.begin() + index);
    ++c.list.resetCount;
    Touch(c);
}

void FaceModel::ListSetImageList(int id, ImageListId images, bool subItemImages) {
    Control& c = Mut(id);
    c.list.imageList = images;
    c.list.subItemImages = subItemImages;
    ++c.list.resetCount;
    Touch(c);
}

const MenuItem& FaceModel::Menu(int id) const {
    for (const MenuItem& m : m_menu)
        if (m.id == id && id != 0) return m;
    throw std::out_of_range("no menu item with id " + std::to_string(id));
}

void FaceModel::CheckMenu(int id, bool checked) {
    MenuItem& m = const_cast<MenuItem&>(Menu(id));
    if (m.checked == checked) return;
    m.checked = checked;
    TouchWindow();
}

void FaceModel::EnableMenu(int id, bool enabled) {
    MenuItem& m = const_cast<MenuItem&>(Menu(id));
    if (m.enabled == enabled) return;
    m.enabled = enabled;
    TouchWindow();
}

void FaceModel::UserSetText(int id, const std::string& text) {
    Mut(id).text = text;
}

void FaceModel::UserSetEditSel(int id, int start, int end) {
    Control& c = Mut(id);
    c.selStart = start;
    c.selEnd = end;
}

void FaceModel::UserSetSliderPos(int id, int pos) {
    Mut(id).pos = pos;
}

TabImages TabImagesFor(TabState state) {
    // Inactive tabs show grey, blue while pressed; the active tab shows blue; the
    // disabled slot always holds grey.
    const ImageSet menuIdle{Bmp::MenuGrey, Bmp::MenuBlue, 0, Bmp::MenuGrey};
    const ImageSet contactsIdle{Bmp::ContactsGrey, Bmp::ContactsBlue, 0, Bmp::ContactsGrey};
    const ImageSet callsIdle{Bmp::CallsGrey, Bmp::CallsBlue, 0, Bmp::CallsGrey};
    const ImageSet dialpadIdle{Bmp::DialpadGrey, Bmp::DialpadBlue, 0, Bmp::DialpadGrey};
    switch (state) {
    case TabState::StartUp:
        return {{Bmp::MenuGrey, Bmp::MenuGrey, 0, Bmp::MenuGrey},
                contactsIdle,
                {Bmp::CallsGrey, Bmp::CallsGrey, 0, Bmp::CallsGrey},
                {Bmp::DialpadGrey, Bmp::DialpadGrey, 0, Bmp::DialpadGrey}};
    case TabState::Dialpad:
        return {menuIdle,
                contactsIdle,
                callsIdle,
                {Bmp::DialpadBlue, Bmp::DialpadBlue, 0, Bmp::DialpadGrey}};
    case TabState::Menu:
        return {
            {Bmp::MenuBlue, Bmp::MenuBlue, 0, Bmp::MenuGrey}, contactsIdle, callsIdle, dialpadIdle};
    case TabState::Contacts:
        return {menuIdle,
                {Bmp::ContactsBlue, Bmp::ContactsBlue, 0, Bmp::ContactsGrey},
                callsIdle,
                dialpadIdle};
    case TabState::CallLogs:
        return {menuIdle,
                contactsIdle,
                {Bmp::CallsBlue, Bmp::CallsBlue, 0, Bmp::CallsGrey},
                dialpadIdle};
    }
    return {};
}

int ListIcon(ImageListId images, int image) {
    switch (images) {
    case ImageListId::Devices:
        if (image == 0) return Ico::DeviceFree;
        if (image == 1) return Ico::DeviceBusy;
        return 0;
    case ImageListId::CallLog:
        if (image == 0) return Ico::CallIncoming;
        if (image == 1) return Ico::CallOutgoing;
        if (image == 2) return Ico::CallMissed;
        return 0;
    case ImageListId::None: break;
    }
    return 0;
}

} // namespace orvane

// The lists: the phone book, the call log and the menu, their rows chosen and sent,
// and the private list the controller uploads.
#include "Phone.h"
#include "PhoneParts.h"

namespace orvane::sim {

namespace proto = orvane::proto;
using namespace phone;

void Phone::Select(int row) {
    int count = 0;
    int* cursor = nullptr;
    switch (m_screen) {
    case Screen::Phonebook:
    case Screen::Editor:
        count = static_cast<int>(Book().size());
        cursor = &m_bookCursor;
        break;
    case Screen::CallLog:
        count = static_cast<int>(m_calls.size());
        cursor = &m_callCursor;
        break;
    case Screen::Menu:
        count = kMenuCount;
        cursor = &m_menuCursor;
        break;
    default: Note("ignored: SELECT: without a list on screen"); return;
    }
    if (row < 0 || row >= count) {
        Note("ignored: SELECT: " + std::to_string(row) + " outside the list of " +
             std::to_string(count));
        return;
    }
    *cursor = row;
    if (m_screen == Screen::Phonebook) SendPhonebookKeys();
    if (m_screen == Screen::CallLog) SendCallLogKeys();
}

void Phone::DeleteSelected() {
    if (m_screen == Screen::Phonebook) {
        if (m_bookCursor < 0 || m_bookCursor >= static_cast<int>(m_contacts.size())) return;
        Note("contact deleted: " + m_contacts[static_cast<std::size_t>(m_bookCursor)].name);
        m_contacts.erase(m_contacts.begin() + m_bookCursor);
        m_bookCursor = std::min(m_bookCursor, static_cast<int>(m_contacts.size()) - 1);
        SendPhonebook();
    } else if (m_screen == Screen::CallLog) {
        if (m_callCursor < 0 || m_callCursor >= static_cast<int>(m_calls.size())) return;
        m_calls.erase(m_calls.begin() + m_callCursor);
        m_callCursor = std::min(m_callCursor, static_cast<int>(m_calls.size()) - 1);
        SendCallLog();
    }
}

void Phone::OpenMenuItem(int item) {
    switch (item) {
    case kMenuName: {
        proto::InputRequest req;
        req.prompt = "Phone name";
        req.firstCaption = "OK";
        req.secondCaption = "Cancel";
        req.initialText = m_config.name;
        m_prompt = Prompt::PhoneName;
        ToController(proto::Write<proto::InKeyword::Input>(req));
        break;
    }
    case kMenuDnd:
        m_dnd = !m_dnd;
        Note(m_dnd ? "do not disturb on" : "do not disturb off");
        ToController(proto::Write<proto::InKeyword::Clr>(proto::Clear::SmallIcons));
        ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::HdOn, 0));
        if (m_dnd) ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::DndOn, 0));
        SendMenu();
        break;
    case kMenuRinger:
        m_volumeReturn = Screen::Menu;
        m_screen = Screen::Volume;
        m_volumeUntilMs = Now() + kVolumeScreenMs;
        SendVolume();
        break;
    case kMenuAddContact:
        if (m_usePrivate) {
            ShowMessage("Private list is read-only");
            break;
        }
        m_editorNew = true;
        m_screen = Screen::Editor;
        ToController("ADD:");
        break;
    case kMenuClearCalls:
        m_calls.clear();
        m_callCursor = -1;
        m_missed = 0;
        Note("call log cleared");
        SendMenu();
        break;
    case kMenuNetwork:
        SendInfo("Address " + m_config.address + "\nID " + m_config.id + "\nPort 8888");
        break;
    case kMenuAbout: {
        std::int64_t up = (Now() - m_startMs) / 1000;
        SendInfo("Model " + m_config.type + "\nFirmware " + kFirmware + "\nUp " + Clock(up * 1000));
        break;
    }
    default: break;
    }
}

void Phone::SaveContact(bool isNew, int row, const std::string& rawNumber,
                        const std::string& rawName) {
    auto refuse = [&](const std::string& why) {
        Note("contact not saved: " + why);
        ShowMessage(why);
    };
    if (m_usePrivate) {
        refuse("Private list is read-only");
        m_screen = Screen::Phonebook;
        SendPhonebook();
        return;
    }
    std::string number = CleanText(rawNumber);
    if (number.empty()) return refuse("Number missing");
    if (number.size() > kContactNumberWidth) return refuse("Number too long");
    if (!std::all_of(number.begin(), number.end(), IsDialChar)) return refuse("Invalid number");
    std::string name = CleanText(rawName);
    std::replace(name.begin(), name.end(), ';', ','); // ";" ends a list item on the wire
    name = CleanText(proto::Cut(name, kContactNameWidth));
    if (name.empty()) name = number;

    ContactRecord rec{number, name};
    if (isNew) {
        if (static_cast<int>(m_contacts.size()) >= kMaxContacts) return refuse("Phonebook full");
        m_contacts.push_back(rec);
    } else {
        if (row < 0 || row >= static_cast<int>(m_contacts.size())) return refuse("No such contact");
        m_contacts[static_cast<std::size_t>(row)] = rec;
    }
    std::stable_sort(m_contacts.begin(), m_contacts.end(), ContactLess);
    auto it = std::find_if(m_contacts.begin(), m_contacts.end(), [&](const ContactRecord& c) {
        return c.name == rec.name && c.number == rec.number;
    });
    m_bookCursor = static_cast<int>(it - m_contacts.begin());
    Note(std::string(isNew ? "contact added: " : "contact changed: ") + name + " " + number);
    m_screen = Screen::Phonebook;
    SendPhonebook();
}

void Phone::SwitchPrivate(bool on) {
    m_usePrivate = on;
    m_bookCursor = -1;
    Note(on ? "using the controller's private contact list" : "using the own phonebook");
    if (on) ToController(proto::Write<proto::InKeyword::UpdatePcList>());
}

void Phone::StorePrivateUpload(const std::vector<proto::PbookItem>& items) {
    if (items.empty()) m_privateContacts.clear(); // the bare header: an empty list
    for (const proto::PbookItem& item : items) {
        std::size_t size = m_privateContacts.size();
        if (item.index == 1) {
            m_privateContacts.clear();
            size = 0;
        }
        ContactRecord rec{proto::Cut(item.number, kContactNumberWidth),
                          proto::Cut(item.name, kContactNameWidth)};
        if (item.index >= 1 && static_cast<std::size_t>(item.index) <= size) {
            m_privateContacts[static_cast<std::size_t>(item.index - 1)] = rec;
        } else if (static_cast<std::size_t>(item.index) == size + 1 &&
                   static_cast<int>(size) < kMaxContacts) {
            m_privateContacts.push_back(rec);
        } else {
            Note("private contact " + std::to_string(item.index) + " dropped: out of order");
        }
    }
    Note("private contacts: " + std::to_string(m_privateContacts.size()));
    if (m_usePrivate && m_screen == Screen::Phonebook) SendPhonebook();
}

void Phone::SendPhonebook() {
    const auto& book = Book();
    if (m_bookCursor >= static_cast<int>(book.size())) m_bookCursor = -1;
    std::vector<proto::Contact> items;
    items.reserve(book.size());
    for (const ContactRecord& c : book)
        items.push_back(proto::Contact{c.number, c.name});
    for (const std::string& d :
         proto::Write<proto::InKeyword::Pbook>(m_bookCursor, items, kListDatagramText))
        ToController(d);
    SendPhonebookKeys();
}

void Phone::SendPhonebookKeys() {
    if (m_usePrivate) {
        ToController(proto::Write<proto::InKeyword::TextKey>(1, m_bookCursor >= 0 ? "Dial" : ""));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
    } else {
        ToController(proto::Write<proto::InKeyword::IconKey>(
            1, m_bookCursor >= 0 ? proto::KeyIcon::Edit : proto::KeyIcon::New));
        if (m_bookCursor >= 0)
            ToController(proto::Write<proto::InKeyword::IconKey>(2, proto::KeyIcon::Delete));
        else
            ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
    }
    ToController(proto::Write<proto::InKeyword::IconKey>(3, proto::KeyIcon::Back));
}

void Phone::SendCallLog() {
    if (m_callCursor >= static_cast<int>(m_calls.size())) m_callCursor = -1;
    std::vector<proto::CallItem> items;
    items.reserve(m_calls.size());
    int index = 0;
    for (const CallRecord& c : m_calls) {
        proto::CallItem item;
        item.index = ++index;
        item.callType = static_cast<int>(c.kind);
        item.number = c.number;
        item.name = BlanksToCarets(c.name); // fields are words: blanks travel as "^"
        item.date = BlanksToCarets(CallDateText(c.when));
        item.time = CallTimeText(c.when);
        item.duration = DurationText(c.durationSec);
        items.push_back(std::move(item));
    }
    for (const std::string& d :
         proto::Write<proto::InKeyword::Calls>(m_callCursor, items, kListDatagramText))
        ToController(d);
    SendCallLogKeys();
}

void Phone::SendCallLogKeys() {
    ToController(proto::Write<proto::InKeyword::TextKey>(1, m_callCursor >= 0 ? "Dial" : ""));
    if (m_callCursor >= 0)
        ToController(proto::Write<proto::InKeyword::IconKey>(2, proto::KeyIcon::Delete));
    else
        ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
    ToController(proto::Write<proto::InKeyword::IconKey>(3, proto::KeyIcon::Back));
}

std::vector<std::string> Phone::MenuItems() const {
    std::vector<std::string> items(kMenuCount);
    items[kMenuName] = "Phone name: " + m_config.name;
    items[kMenuDnd] = std::string("Do not disturb: ") + (m_dnd ? "on" : "off");
    items[kMenuRinger] = "Ringer volume: " + std::to_string(m_ringerVolume) + "%";
    items[kMenuAddContact] = "Add contact";
    items[kMenuClearCalls] = "Clear call log (" + std::to_string(m_calls.size()) + ")";
    items[kMenuNetwork] = "Network";
    items[kMenuAbout] = "About";
    for (std::string& s : items)
        s = proto::Cut(s, proto::Width::MenuText);
    return items;
}

void Phone::SendMenu() {
    ToController(proto::Write<proto::InKeyword::Menu>(m_menuCursor, MenuItems()));
    ToController(proto::Write<proto::InKeyword::TextKey>(1, "Select"));
    ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
    ToController(proto::Write<proto::InKeyword::IconKey>(3, proto::KeyIcon::Back));
}

} // namespace orvane::sim

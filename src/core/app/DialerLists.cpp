// The device's lists: phonebook, call log and menu, and the messages that show and hide
// them. Long phonebooks and call logs arrive in several datagrams; rows are only ever
// appended, so a continuation never rebuilds a list of thousands of rows.
#include "CDialerDlg.h"
#include "FaceIds.h"
#include "Protocol.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace orvane {

namespace {

// Selects the device's chosen row (if it is one of ours yet) and brings it into view.
void SelectRow(FaceModel& face, int list, int row) {
    face.ListSelect(list, row);
    face.ListEnsureVisible(list, row);
}

// Call types the call log's image list has a picture for.
int CallTypeImage(int callType) {
    return callType >= 0 && callType <= 2 ? callType : -1;
}

} // namespace

void CDialerDlg::OnPbook(std::string_view msg) {
    const std::optional<proto::PbookMsg> read = proto::Read<proto::InKeyword::Pbook>(msg);
    if (!read) return;
    const proto::PbookMsg& pbook = *read;
    if (pbook.shortEmpty) {
        m_face.ListDeleteAll(Ctl::PhonebookList);
        m_nPhonebookCount = 0;
    }

    int last = 0; // number of the last item stored, 0 for none
    for (const proto::PbookItem& item : pbook.items) {
        // The device numbers its items from 1; anything outside the store ends the list.
        if (item.index < 1 || item.index >= proto::kPhonebookCapacity) break;
        if (item.index == 1) {
            m_face.ListDeleteAll(Ctl::PhonebookList);
            m_nPhonebookCount = 0;
        }
        PhonebookEntry& entry = m_Phonebook.write(static_cast<std::size_t>(item.index - 1));
        entry.number = proto::Cut(item.number, proto::Width::PbookNumber);
        entry.name = proto::Cut(item.name, proto::Width::PbookName);
        last = item.index;
    }

    if (last > 0) {
        for (int k = m_nPhonebookCount + 1; k <= last; ++k) {
            const PhonebookEntry& entry = m_Phonebook.read(static_cast<std::size_t>(k - 1));
            const int rows = m_face.ListRowCount(Ctl::PhonebookList);
            const int r = m_face.ListInsertRow(Ctl::PhonebookList, rows, std::to_string(rows + 1));
            m_face.ListSetItemText(Ctl::PhonebookList, r, 1, entry.name);
            m_face.ListSetItemText(Ctl::PhonebookList, r, 2, entry.number);
        }
        m_nPhonebookCount = last;
    }

    ShowPhonebookScreen();
    if (pbook.selectedItem >= 0) {
        SelectRow(m_face, Ctl::PhonebookList, pbook.selectedItem);
        m_face.Enable(Ctl::Send, true);
    }
    m_face.SetFocus(Ctl::PhonebookList);
}

void CDialerDlg::OnCalls(std::string_view msg) {
    const std::optional<proto::CallsMsg> read = proto::Read<proto::InKeyword::Calls>(msg);
    if (!read) return;
    const proto::CallsMsg& calls = *read;
    if (calls.shortEmpty) {
        m_face.ListDeleteAll(Ctl::CallLogList);
        m_nCallLogCount = 0;
    }

    int last = 0;
    for (const proto::CallItem& item : calls.items) {
        if (item.index < 1 || item.index >= proto::kCallLogCapacity) break;
        if (item.index == 1) {
            m_face.ListDeleteAll(Ctl::CallLogList);
            m_nCallLogCount = 0;
        }
        CallLogEntry& entry = m_CallLog.write(static_cast<std::size_t>(item.index - 1));
        entry.CallType = item.callType;
        entry.Number = proto::Cut(item.number, proto::Width::CallNumber);
        entry.Name = proto::Cut(item.name, proto::Width::CallName);
        entry.Date = proto::Cut(item.date, proto::Width::CallDate);
        entry.Time = proto::Cut(item.time, proto::Width::CallTime);
        entry.Duration = proto::Cut(item.duration, proto::Width::CallDuration);
        last = item.index;
    }

    if (last > 0) {
        for (int k = m_nCallLogCount + 1; k <= last; ++k) {
            const CallLogEntry& entry = m_CallLog.read(static_cast<std::size_t>(k - 1));
            const int rows = m_face.ListRowCount(Ctl::CallLogList);
            // A call type the image list has no picture for leaves the row without one.
            const int r = m_face.ListInsertRow(Ctl::CallLogList, rows, std::string(),
                                               CallTypeImage(entry.CallType));
            m_face.ListSetItemText(Ctl::CallLogList, r, 1, entry.Name);
            m_face.ListSetItemText(Ctl::CallLogList, r, 2, entry.Number);
            m_face.ListSetItemText(Ctl::CallLogList, r, 3, entry.Date);
            m_face.ListSetItemText(Ctl::CallLogList, r, 4, entry.Time);
            m_face.ListSetItemText(Ctl::CallLogList, r, 5, entry.Duration);
        }
        m_nCallLogCount = last;
    }

    ShowCallLogScreen();
    if (calls.selectedItem >= 0) {
        SelectRow(m_face, Ctl::CallLogList, calls.selectedItem);
        m_face.Enable(Ctl::Send, true);
    }
    m_face.SetFocus(Ctl::CallLogList);
}

void CDialerDlg::OnMenuList(std::string_view msg) {
    const std::optional<proto::MenuMsg> read = proto::Read<proto::InKeyword::Menu>(msg);
    if (!read) return;
    const proto::MenuMsg& menu = *read;
    // Every menu message carries the whole menu.
    m_face.ListDeleteAll(Ctl::MenuList);
    m_nMenuCount = 0;
    for (const std::string& text : menu.items) {
        const int r =
            m_face.ListInsertRow(Ctl::MenuList, m_nMenuCount, std::to_string(m_nMenuCount + 1));
        m_face.ListSetItemText(Ctl::MenuList, r, 1, proto::Cut(text, proto::Width::MenuText));
        ++m_nMenuCount;
    }

    ShowMenuScreen();
    // The device runs a menu item on its own selection key; SEND stays off here.
    if (menu.selectedItem >= 0) SelectRow(m_face, Ctl::MenuList, menu.selectedItem);
    m_face.SetFocus(Ctl::MenuList);
}

void CDialerDlg::OnHideList() {
    m_face.Show(Ctl::MenuList, false);
    m_face.Show(Ctl::PhonebookList, false);
    m_face.Show(Ctl::CallLogList, false);
    m_face.Show(Ctl::DisplayLine0, true);
}

void CDialerDlg::OnShowList() {
    switch (m_nFaceMode) {
    case FaceMenu: m_face.Show(Ctl::MenuList, true); break;
    case FacePhonebook:
    case FaceContactEditor: m_face.Show(Ctl::PhonebookList, true); break;
    case FaceCallLog: m_face.Show(Ctl::CallLogList, true); break;
    default: break; // the dial pad and volume screens have no list
    }
    m_face.Show(Ctl::EntryEdit, false);
    m_face.Show(Ctl::DisplayLine0, false);
    m_face.Show(Ctl::DisplayLine2, false);
    m_face.Show(Ctl::DisplayLine3, false);
}

void CDialerDlg::OnShowDialpad() {
    // The device asked for the dial pad itself, so it must not be asked for its display.
    struct NotifyAgain {
        bool& flag;
        ~NotifyAgain() { flag = true; }
    } restore{m_dialpadNotify};
    m_dialpadNotify = false;
    ShowDialpadScreen();
}

} // namespace orvane

// The private contact list: read once from its file at start, handed to the device on
// request, and switched on and off from the Devices menu.
#include "PrivateContacts.h"

#include "FaceIds.h"
#include "Text.h"

#include <filesystem>
#include <fstream>
#include <ios>
#include <streambuf>
#include <string>
#include <system_error>
#include <utility>

namespace orvane {

std::vector<PhonebookEntry> ParsePrivateContacts(std::istream& in) {
    using namespace PrivateContactLimits;
    std::vector<PhonebookEntry> records;
    std::streambuf* buf = in.rdbuf();
    if (buf == nullptr) return records;

    using Traits = std::streambuf::traits_type;
    enum Field { Index, Number, Name };
    Field field = Index;
    std::string text;
    std::string number;
    std::size_t bytes = 0;

    while (records.size() < kMaxRecords && bytes < kMaxBytes) {
        const Traits::int_type next = buf->sbumpc();
        if (Traits::eq_int_type(next, Traits::eof())) break;
        ++bytes;
        const char c = Traits::to_char_type(next);
        if (c == '\r' && Traits::eq_int_type(buf->sgetc(), Traits::to_int_type('\n')))
            continue; // text mode: CR LF reads as LF
        if (c == '\0') continue;

        if (c == ' ' && field == Index) {
            // The index is read and ignored: the order in the file decides the position.
            text.clear();
            field = Number;
        } else if (c == ' ' && field == Number) {
            number = proto::Cut(text::FirstWord(text), proto::Width::PbookNumber);
            text.clear();
            field = Name;
        } else if (c == ';') {
            if (field == Name) {
                records.push_back({number, proto::Cut(text, proto::Width::PbookName)});
                number.clear();
                text.clear();
                field = Index;
            }
            // A ";" in the index or number field is dropped.
        } else if (text.size() < kFieldWidth) {
            text.push_back(c);
        }
    }
    return records;
}

void CDialerDlg::LoadPrivateContacts(const std::string& path) {
    m_privateContactCount = 0;
    // Only a regular file (or a link to one): a directory of that name fails every read
    // and a named pipe would block the start until someone writes to it.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return;
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file) return; // no file: an empty list, nothing reported

    std::vector<PhonebookEntry> records;
    try {
        records = ParsePrivateContacts(file);
    } catch (const std::ios_base::failure&) {
        // The stream library reports a failed read (an I/O error) by throwing: the file
        // then counts as no file.
        return;
    }
    std::size_t count = 0;
    for (const PhonebookEntry& record : records) {
        if (count >= m_privateContacts.size()) break;
        m_privateContacts.write(count++) = record;
    }
    m_privateContactCount = static_cast<int>(count);
}

void CDialerDlg::UploadPrivateContacts() {
    std::vector<proto::Contact> contacts;
    contacts.reserve(static_cast<std::size_t>(m_privateContactCount));
    for (int k = 0; k < m_privateContactCount; ++k) {
        const PhonebookEntry& record = m_privateContacts.read(static_cast<std::size_t>(k));
        contacts.push_back({record.number, record.name});
    }
    // Straight to the socket: a chunk is far longer than a command line, and the upload
    // is no sign of life from the user, so the keep-alive timer is left alone.
    for (const std::string& chunk : proto::Write<proto::OutKeyword::PrivateUpload>(contacts))
        m_socket.Send(chunk.c_str(), chunk.size() + 1);
}

void CDialerDlg::OnUsePrivateContactList() {
    const bool inUse = m_face.IsMenuChecked(Menu::UsePrivateContacts);
    m_face.CheckMenu(Menu::UsePrivateContacts, !inUse);
    SendCommand(inUse ? proto::Write<proto::OutKeyword::PbookMode>(proto::PbookMode::Own)
                      : proto::Write<proto::OutKeyword::PbookMode>(proto::PbookMode::Private));
    // The device sends its phonebook screen again, now from the other list.
    if (m_nFaceMode == FacePhonebook) OnTabKey(proto::KeyCode::Contacts, TabState::Contacts);
}

} // namespace orvane

// Reading the private contact file: records of "index number name;" separated by
// nothing but what follows each ";".
#pragma once

#include "CDialerDlg.h"

#include <cstddef>
#include <istream>
#include <vector>

namespace orvane {

// Bounds of the reader. A real contact file is a few kilobytes; the bounds keep a wrong or
// damaged file from stalling the start or filling memory.
namespace PrivateContactLimits {
constexpr std::size_t kMaxRecords = 1000;   // the private contact table's size
constexpr std::size_t kMaxBytes = 1u << 20; // reading stops after 1 MiB
constexpr std::size_t kFieldWidth = 49;     // a field's text beyond this is dropped
} // namespace PrivateContactLimits

// Parses the contact file's text read as bytes. A blank (only character 32) ends the
// index and the number field, ";" ends the name; a carriage return before a line feed is
// dropped as a text-mode read drops it, and NUL bytes, which no command line can carry,
// are skipped. A number is the first word of its field, empty when the field holds none;
// numbers are cut to 19 characters and names to 31. A record without its closing ";" at
// the end is not taken. Reading stops after kMaxRecords records or kMaxBytes bytes.
std::vector<PhonebookEntry> ParsePrivateContacts(std::istream& in);

} // namespace orvane

// The phone's own data: contacts and call history. A phone starts with a generated,
// real-looking phonebook and call log, the same on every run for the same seed.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace orvane::sim {

struct ContactRecord {
    std::string number; // a word of digits and "+*#", at most 19 characters
    std::string name;   // at most 31 characters, never holding ";"
};

enum class CallKind { Incoming = 0, Outgoing = 1, Missed = 2 };

struct CallRecord {
    CallKind kind = CallKind::Incoming;
    std::string number;   // at most 15 characters
    std::string name;     // "Unknown" when the number is in no phonebook
    std::time_t when = 0; // start of the call
    int durationSec = 0;
};

constexpr int kMaxContacts = 999;
constexpr int kMaxCalls = 2999;
constexpr std::size_t kContactNumberWidth = 19;
constexpr std::size_t kContactNameWidth = 31;
constexpr std::size_t kCallNumberWidth = 15;

// `count` distinct contacts (capped at kMaxContacts), sorted by name.
std::vector<ContactRecord> GenerateContacts(int count, std::uint32_t seed);

// `count` calls (capped at kMaxCalls), newest first, all before `now`; most of them with
// people from `contacts`.
std::vector<CallRecord> GenerateCalls(int count, std::uint32_t seed,
                                      const std::vector<ContactRecord>& contacts, std::time_t now);

// Case-insensitive name order, then number: where a contact goes in the phonebook.
bool ContactLess(const ContactRecord& a, const ContactRecord& b);

// The log's date and time texts of a call, in local time: "Tue 09.12.2025", "14:05",
// and its duration "00:03:12".
std::string CallDateText(std::time_t when);
std::string CallTimeText(std::time_t when);
std::string DurationText(int seconds);

} // namespace orvane::sim

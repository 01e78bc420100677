// The numbers last dialled from this computer, newest first, kept in a small file of the
// user's data folder so they outlive the login (unlike the settings).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class CRecentNumbers {
  public:
    static constexpr std::size_t kMaxNumbers = 20;

    // path: the file; empty keeps the numbers in memory only.
    explicit CRecentNumbers(std::string path = std::string());

    // Reads the file. A missing, unreadable or damaged file gives an empty list.
    void Load();
    // Puts a dialled number first, normalised (once: an older copy goes), keeps the
    // newest kMaxNumbers and writes the file. What is no dial number at all is not kept. False when
    // the file could not be written (the list still changed).
    bool Add(std::string_view number);
    // Forgets every number; false when the file could not be written.
    bool Clear();

    const std::vector<std::string>& Numbers() const { return m_numbers; }
    const std::string& Path() const { return m_path; }

    // The file's text, and its reading: nullopt when the text is damaged in any way.
    static std::string Format(const std::vector<std::string>& numbers);
    static std::optional<std::vector<std::string>> Parse(std::string_view text);

  private:
    bool Save() const;

    std::string m_path;
    std::vector<std::string> m_numbers;
};

} // namespace orvane

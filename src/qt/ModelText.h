// Texts between the core and the widgets. The core keeps bytes: what the device sent and
// what the user typed. UTF-8 is shown as such; any other byte string is shown one byte to
// a character (Latin-1), so nothing is lost or replaced.
#pragma once

#include <QString>
#include <string>

namespace modeltext {

QString toQt(const std::string& bytes);
std::string toModel(const QString& text);

// Positions in the text that toQt(bytes) shows: character position <-> byte position.
int bytePos(const std::string& bytes, int charPos);
int charPos(const std::string& bytes, int bytePos);

} // namespace modeltext

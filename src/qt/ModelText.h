// Texts between the core and the widgets. The protocol and the core carry single-byte
// ANSI text (Windows code page 1252), one byte to a character, so a character position
// in a widget is the same position in the core's bytes.
#pragma once

#include <QString>
#include <string>

namespace modeltext {

QString toQt(const std::string& bytes);
// A character the code page lacks becomes '?', as the system's conversion makes it.
std::string toModel(const QString& text);

} // namespace modeltext

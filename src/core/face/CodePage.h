// The face model's texts are bytes of Windows code page 1252, as the phone sends them, one
// byte to a character; the windows show Unicode. The same table both ways on every
// machine, whatever code page the system runs in.
#pragma once

namespace orvane::codepage {

// The character a byte stands for.
char16_t ToUnicode(unsigned char byte);
// The byte of a character; '?' for one the code page lacks, as the system's conversion
// makes it.
char FromUnicode(char32_t character);

} // namespace orvane::codepage

#include "ModelText.h"

#include "CodePage.h"

namespace modeltext {

QString toQt(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char ch : bytes)
        text.append(QChar(orvane::codepage::ToUnicode(static_cast<unsigned char>(ch))));
    return text;
}

std::string toModel(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text)
        bytes.push_back(orvane::codepage::FromUnicode(ch.unicode()));
    return bytes;
}

} // namespace modeltext

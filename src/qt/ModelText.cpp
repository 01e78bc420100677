#include "ModelText.h"

#include <QStringDecoder>
#include <algorithm>

namespace modeltext {

namespace {

bool decodeUtf8(const char* data, std::size_t size, QString& out) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    out = utf8.decode(QByteArrayView(data, static_cast<qsizetype>(size)));
    return !utf8.hasError();
}

} // namespace

QString toQt(const std::string& bytes) {
    QString text;
    if (decodeUtf8(bytes.data(), bytes.size(), text)) return text;
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string toModel(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

int bytePos(const std::string& bytes, int charPos) {
    QString text;
    if (!decodeUtf8(bytes.data(), bytes.size(), text))
        return std::clamp(charPos, 0, static_cast<int>(bytes.size()));
    const int clamped = std::clamp(charPos, 0, static_cast<int>(text.size()));
    return static_cast<int>(text.left(clamped).toUtf8().size());
}

int charPos(const std::string& bytes, int bytePos) {
    const int clamped = std::clamp(bytePos, 0, static_cast<int>(bytes.size()));
    QString whole;
    if (!decodeUtf8(bytes.data(), bytes.size(), whole)) return clamped;
    QString prefix;
    decodeUtf8(bytes.data(), static_cast<std::size_t>(clamped), prefix);
    return std::min(static_cast<int>(prefix.size()), static_cast<int>(whole.size()));
}

} // namespace modeltext

#include "app/QtText.h"

#include <string>

#include "text/CodePage.h"

namespace {

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// Unreserved characters and the delimiters a URL may carry as they are. '#', '[' and
// ']' are left out: in the query part they would change how the URL is read.
bool isUrlSafe(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        return true;
    }
    return std::string_view("-._~:/?@!$&'()*+,;=").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

QString toQString(std::string_view gbk) { return QString::fromStdU16String(gbkToUtf16(gbk)); }

Text fromQString(const QString& text) {
    return utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()));
}

QByteArray encodeUrlBytes(std::string_view gbkUrl) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray encoded;
    encoded.reserve(static_cast<qsizetype>(gbkUrl.size()));
    for (std::size_t i = 0; i < gbkUrl.size(); ++i) {
        const auto byte = static_cast<unsigned char>(gbkUrl[i]);
        const bool validEscape =
            byte == '%' && i + 2 < gbkUrl.size() && isHexDigit(gbkUrl[i + 1]) && isHexDigit(gbkUrl[i + 2]);
        if (isUrlSafe(byte) || validEscape) {
            encoded.append(static_cast<char>(byte));
        } else {
            encoded.append('%');
            encoded.append(kHex[byte >> 4]);
            encoded.append(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

QUrl urlFromGbk(std::string_view gbkUrl) { return QUrl::fromEncoded(encodeUrlBytes(gbkUrl), QUrl::StrictMode); }

#include "JsonReader.h"

namespace {

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<std::vector<JsonObject>> array() {
        std::vector<JsonObject> objects;
        if (!take('[')) return std::nullopt;
        if (take(']')) return finished() ? std::optional(objects) : std::nullopt;
        do {
            auto object = this->object();
            if (!object) return std::nullopt;
            objects.push_back(std::move(*object));
        } while (take(','));
        if (!take(']') || !finished()) return std::nullopt;
        return objects;
    }

  private:
    void skipBlanks() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\r' || text_[pos_] == '\t'))
            ++pos_;
    }

    bool take(char c) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool finished() {
        skipBlanks();
        return pos_ == text_.size();
    }

    std::optional<JsonObject> object() {
        JsonObject object;
        if (!take('{')) return std::nullopt;
        if (take('}')) return object;
        do {
            auto key = string();
            if (!key || !take(':')) return std::nullopt;
            auto value = string();
            if (!value || !object.emplace(*key, *value).second) return std::nullopt;
        } while (take(','));
        if (!take('}')) return std::nullopt;
        return object;
    }

    std::optional<unsigned> hex4() {
        if (pos_ + 4 > text_.size()) return std::nullopt;
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value |= static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                value |= static_cast<unsigned>(c - 'A' + 10);
            } else {
                return std::nullopt;
            }
        }
        return value;
    }

    static void appendUtf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    std::optional<std::string> string() {
        if (!take('"')) return std::nullopt;
        std::string out;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) return std::nullopt;
            const char e = text_[pos_++];
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    auto unit = hex4();
                    if (!unit) return std::nullopt;
                    unsigned cp = *unit;
                    if (cp >= 0xD800 && cp < 0xDC00) {
                        if (pos_ + 2 > text_.size() || text_[pos_] != '\\' || text_[pos_ + 1] != 'u')
                            return std::nullopt;
                        pos_ += 2;
                        auto low = hex4();
                        if (!low || *low < 0xDC00 || *low > 0xDFFF) return std::nullopt;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                    } else if (cp >= 0xDC00 && cp < 0xE000) {
                        return std::nullopt;
                    }
                    appendUtf8(out, cp);
                    break;
                }
                default:
                    return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<std::vector<JsonObject>> readJsonObjectArray(std::string_view text) { return Reader(text).array(); }

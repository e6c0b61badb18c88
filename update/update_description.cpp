#include "update/update_description.h"

#include "model/decimal.h"
#include "model/text_encoding.h"

namespace vonu {
namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    }
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    // After blanks: consumes `c` when it comes next.
    bool Take(char c) {
        SkipBlanks();
        if (Peek() != c) return false;
        ++pos_;
        return true;
    }

    // A string value, its escapes resolved, as UTF-8 bytes.
    bool ReadString(std::string& out) {
        out.clear();
        if (!Take('"')) return false;
        while (!AtEnd()) {
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (AtEnd()) return false;
            const char e = text_[pos_++];
            switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'b':
                case 'f':
                case 'r':
                    break;  // dropped
                case 'u': {
                    uint32_t unit = 0;
                    if (!ReadHex4(unit)) return false;
                    // A high surrogate takes the low surrogate that follows it; anything else
                    // after it stays an escape of its own (and the lone half becomes U+FFFD
                    // when the string turns into UTF-16).
                    if (unit >= 0xD800 && unit <= 0xDBFF && text_.substr(pos_, 2) == "\\u") {
                        const size_t back = pos_;
                        pos_ += 2;
                        uint32_t low = 0;
                        if (!ReadHex4(low)) return false;
                        if (low >= 0xDC00 && low <= 0xDFFF)
                            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                        else
                            pos_ = back;
                    }
                    AppendUtf8(out, unit);
                    break;
                }
                default:
                    out += e;
                    break;  // \" \\ \/ and any other character stand for themselves
            }
        }
        return false;  // ended before the closing quote
    }

    // Skips one value of any kind; `depth` is the level the value sits at.
    bool SkipValue(int depth) {
        if (depth > kMaxDescriptionDepth) return false;
        SkipBlanks();
        std::string ignored;
        switch (Peek()) {
            case '"':
                return ReadString(ignored);
            case '{':
                return SkipContainer(depth, '}', true);
            case '[':
                return SkipContainer(depth, ']', false);
            default: {
                std::string_view raw;
                return ReadScalar(raw);
            }
        }
    }

    // A number, true, false or null: the raw text up to the next ",", "}" or "]".
    bool ReadScalar(std::string_view& raw) {
        SkipBlanks();
        const size_t start = pos_;
        while (!AtEnd() && text_[pos_] != ',' && text_[pos_] != '}' && text_[pos_] != ']') ++pos_;
        if (AtEnd()) return false;
        raw = text_.substr(start, pos_ - start);
        return true;
    }

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    bool ReadHex4(uint32_t& value) {
        if (text_.size() - pos_ < 4) return false;
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexDigitValue(static_cast<unsigned char>(text_[pos_++]));
            if (digit < 0) return false;
            value = value * 16 + static_cast<uint32_t>(digit);
        }
        return true;
    }

    static void AppendUtf8(std::string& out, uint32_t cp) {
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

    // An object's members or an array's elements, up to the matching close; the opening
    // character is next.
    bool SkipContainer(int depth, char close, bool members) {
        ++pos_;
        if (Take(close)) return true;
        for (;;) {
            if (members) {
                std::string key;
                if (!ReadString(key) || !Take(':')) return false;
            }
            if (!SkipValue(depth + 1)) return false;
            if (Take(close)) return true;
            if (!Take(',')) return false;
        }
    }

    std::string_view text_;
    size_t pos_ = 0;
};

// The raw value read as a number the way a person's stored value is: optional blanks and
// sign, then the leading digits (a value past 63 bits saturates); 0 when there are none.
int64_t LeadingInteger(std::string_view raw) {
    return SignedLeading(std::wstring(raw.begin(), raw.end())).value_or(0);
}

bool ReadNotes(Reader& r, std::vector<std::wstring>& notes) {
    notes.clear();
    if (!r.Take('[')) return false;
    if (r.Take(']')) return true;
    for (;;) {
        std::string line;
        if (!r.ReadString(line)) return false;
        notes.push_back(Utf8ToWide(line));
        if (r.Take(']')) return true;
        if (!r.Take(',')) return false;
    }
}

bool ReadMember(Reader& r, const std::string& key, UpdateDescription& d) {
    std::wstring UpdateDescription::*text = nullptr;
    if (key == "version")
        text = &UpdateDescription::version;
    else if (key == "date")
        text = &UpdateDescription::date;
    else if (key == "page")
        text = &UpdateDescription::page;
    else if (key == "exe")
        text = &UpdateDescription::exe;
    else if (key == "sha256")
        text = &UpdateDescription::sha256;
    else if (key == "signature")
        text = &UpdateDescription::signature;
    if (text) {
        std::string value;
        if (!r.ReadString(value)) return false;
        d.*text = Utf8ToWide(value);
        return true;
    }
    if (key == "size") {
        std::string_view raw;
        if (!r.ReadScalar(raw)) return false;
        d.size = LeadingInteger(raw);
        return true;
    }
    if (key == "notes_en") return ReadNotes(r, d.notesEn);
    if (key == "notes_ar") return ReadNotes(r, d.notesAr);
    return r.SkipValue(2);
}

}  // namespace

std::optional<UpdateDescription> ParseUpdateDescription(std::string_view utf8) {
    Reader r(utf8);
    UpdateDescription d;
    if (!r.Take('{')) return std::nullopt;
    if (!r.Take('}')) {
        for (;;) {
            std::string key;
            if (!r.ReadString(key) || !r.Take(':') || !ReadMember(r, key, d)) return std::nullopt;
            if (r.Take('}')) break;
            if (!r.Take(',')) return std::nullopt;
        }
    }
    if (d.version.empty()) return std::nullopt;
    return d;
}

}  // namespace vonu

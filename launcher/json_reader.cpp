#include "launcher/json_reader.h"

#include "common/display_text.h"
#include "platform/string_util.h"

namespace playdeck {

namespace {

constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> document()
    {
        JsonValue v;
        if (!value(v, 0))
            return std::nullopt;
        skipBlanks();
        if (m_pos != m_text.size())
            return std::nullopt;
        return v;
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r'))
            ++m_pos;
    }

    bool take(char c)
    {
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool word(std::string_view w)
    {
        if (m_text.substr(m_pos, w.size()) != w)
            return false;
        m_pos += w.size();
        return true;
    }

    bool value(JsonValue& v, int depth)
    {
        if (depth > kMaxDepth)
            return false;
        skipBlanks();
        if (m_pos >= m_text.size())
            return false;
        const char c = m_text[m_pos];
        if (c == '{')
            return object(v, depth);
        if (c == '[')
            return array(v, depth);
        if (c == '"') {
            v.kind = JsonValue::Kind::String;
            return string(v.text);
        }
        if (c == 't' || c == 'f') {
            v.kind = JsonValue::Kind::Bool;
            v.text = c == 't' ? "true" : "false";
            return word(v.text);
        }
        if (c == 'n') {
            v.kind = JsonValue::Kind::Null;
            return word("null");
        }
        return number(v);
    }

    bool object(JsonValue& v, int depth)
    {
        v.kind = JsonValue::Kind::Object;
        ++m_pos;
        if (take('}'))
            return true;
        do {
            std::string name;
            skipBlanks();
            if (m_pos >= m_text.size() || m_text[m_pos] != '"' || !string(name) || !take(':'))
                return false;
            JsonValue member;
            if (!value(member, depth + 1))
                return false;
            v.names.push_back(std::move(name));
            v.items.push_back(std::move(member));
        } while (take(','));
        return take('}');
    }

    bool array(JsonValue& v, int depth)
    {
        v.kind = JsonValue::Kind::Array;
        ++m_pos;
        if (take(']'))
            return true;
        do {
            JsonValue item;
            if (!value(item, depth + 1))
                return false;
            v.items.push_back(std::move(item));
        } while (take(','));
        return take(']');
    }

    bool number(JsonValue& v)
    {
        const size_t start = m_pos;
        const auto digits = [&] {
            const size_t from = m_pos;
            while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9')
                ++m_pos;
            return m_pos > from;
        };
        if (m_pos < m_text.size() && m_text[m_pos] == '-')
            ++m_pos;
        if (!digits())
            return false;
        if (m_pos < m_text.size() && m_text[m_pos] == '.') {
            ++m_pos;
            if (!digits())
                return false;
        }
        if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
            ++m_pos;
            if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-'))
                ++m_pos;
            if (!digits())
                return false;
        }
        v.kind = JsonValue::Kind::Number;
        v.text = std::string(m_text.substr(start, m_pos - start));
        return true;
    }

    bool hex4(char32_t& u)
    {
        if (m_pos + 4 > m_text.size())
            return false;
        u = 0;
        for (int i = 0; i < 4; ++i) {
            const int d = qm::hexDigit(m_text[m_pos++]);
            if (d < 0)
                return false;
            u = u * 16 + static_cast<char32_t>(d);
        }
        return true;
    }

    bool string(std::string& out)
    {
        ++m_pos; // the opening quote
        while (m_pos < m_text.size()) {
            const unsigned char c = static_cast<unsigned char>(m_text[m_pos++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return false;
            if (c != '\\') {
                out.push_back(static_cast<char>(c));
                continue;
            }
            if (m_pos >= m_text.size())
                return false;
            const char e = m_text[m_pos++];
            switch (e) {
            case '"':
                out.push_back('"');
                break;
            case '\\':
                out.push_back('\\');
                break;
            case '/':
                out.push_back('/');
                break;
            case 'b':
                out.push_back('\b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'u': {
                char32_t u = 0;
                if (!hex4(u))
                    return false;
                // A surrogate pair makes one character; a lone half is U+FFFD.
                if (u >= 0xD800 && u <= 0xDBFF && m_text.substr(m_pos, 2) == "\\u") {
                    const size_t back = m_pos;
                    m_pos += 2;
                    char32_t low = 0;
                    if (hex4(low) && low >= 0xDC00 && low <= 0xDFFF)
                        u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                    else
                        m_pos = back;
                }
                if (u >= 0xD800 && u <= 0xDFFF)
                    u = 0xFFFD;
                qm::AppendUtf8(out, u);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

} // namespace

const JsonValue* JsonValue::member(std::string_view name) const
{
    if (kind != Kind::Object)
        return nullptr;
    for (size_t i = names.size(); i-- > 0;)
        if (names[i] == name)
            return &items[i];
    return nullptr;
}

std::optional<JsonValue> ParseJson(std::string_view text)
{
    return Parser(text).document();
}

} // namespace playdeck

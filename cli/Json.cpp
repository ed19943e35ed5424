#include "cli/Json.h"

#include "cli/Text.h"

#include <algorithm>
#include <set>
#include <vector>

namespace {

using nlohmann::json;

// Thrown out of the parser's callback to stop it at the first fault.
struct SJsonRefusal {
    std::string strMessage;
};

// Where the parser is: one frame per object or array it is in.
class CJsonPath {
public:
    // An element of the innermost array begins.
    void BeginValue() {
        if (!m_frames.empty() && m_frames.back().bArray)
            m_frames.back().strStep = std::to_string(m_frames.back().nNextIndex++);
    }
    void Enter(bool bArray) {
        if (static_cast<int>(m_frames.size()) >= kMaxJsonDepth)
            throw SJsonRefusal{Place() + ": nested deeper than " + std::to_string(kMaxJsonDepth) +
                               " levels"};
        m_frames.push_back({bArray, 0, std::string(), {}, {}});
    }
    void Leave() { m_frames.pop_back(); }
    void Key(const std::string& strKey) {
        SFrame& frame = m_frames.back();
        frame.strStep = strKey;
        // An object of the document has a handful of fields, which a glance compares; a set
        // takes over for one with many, which would otherwise cost their square.
        if (frame.keys.size() < kFieldsCompared) {
            if (std::find(frame.keys.begin(), frame.keys.end(), strKey) != frame.keys.end())
                Twice();
            frame.keys.push_back(strKey);
            return;
        }
        if (frame.moreKeys.empty())
            frame.moreKeys.insert(frame.keys.begin(), frame.keys.end());
        if (!frame.moreKeys.insert(strKey).second)
            Twice();
    }
    std::string Place() const {
        std::string strPlace;
        for (const SFrame& frame : m_frames)
            strPlace = JsonPlace(strPlace, frame.strStep);
        return strPlace.empty() ? "/" : strPlace;
    }

private:
    static constexpr size_t kFieldsCompared = 8;

    [[noreturn]] void Twice() const {
        throw SJsonRefusal{Place() + ": the field is given twice in one object"};
    }

    struct SFrame {
        bool bArray;
        size_t nNextIndex;
        std::string strStep;
        std::vector<std::string> keys;
        std::set<std::string> moreKeys;
    };
    std::vector<SFrame> m_frames;
};

} // namespace

std::string JsonPlace(const std::string& strParent, const std::string& strField) {
    // RFC 6901: "~" and "/" in a field name are escaped.
    std::string strStep;
    for (char ch : strField)
        strStep += ch == '~'   ? std::string("~0")
                   : ch == '/' ? std::string("~1")
                               : std::string(1, ch);
    return strParent + "/" + Excerpt(strStep);
}

std::string ParseJson(const std::string& strText, json& root) {
    CJsonPath path;
    const json::parser_callback_t callback = [&path](int, json::parse_event_t event, json& parsed) {
        switch (event) {
        case json::parse_event_t::object_start:
        case json::parse_event_t::array_start:
            path.BeginValue();
            path.Enter(event == json::parse_event_t::array_start);
            break;
        case json::parse_event_t::object_end:
        case json::parse_event_t::array_end:
            path.Leave();
            break;
        case json::parse_event_t::key:
            path.Key(parsed.get<std::string>());
            break;
        case json::parse_event_t::value:
            path.BeginValue();
            break;
        }
        return true;
    };
    try {
        root = json::parse(strText, callback);
        return std::string();
    } catch (const SJsonRefusal& refusal) {
        return refusal.strMessage;
    } catch (const json::exception& e) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." and the like;
        // what the parser quotes of the text may be long.
        const std::string strWhat = e.what();
        const size_t nAt = strWhat.find("] ");
        return "not JSON: " +
               Excerpt(nAt == std::string::npos ? strWhat : strWhat.substr(nAt + 2), 120);
    }
}

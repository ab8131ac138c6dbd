#include "preview/server/web_config.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>

namespace tabulon::preview {
namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string decodeEntities(std::string_view text) {
    static const std::map<std::string, std::string, std::less<>> kNamed = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto end = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
        if (end != std::string_view::npos) {
            const auto found = kNamed.find(text.substr(i + 1, end - i - 1));
            if (found != kNamed.end()) {
                out += found->second;
                i = end;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

struct Tag {
    std::string name;  // lower case
    bool closing = false;
    bool selfClosing = false;
    std::map<std::string, std::string> attributes;  // names in lower case
};

// Walks the elements of the file; comments, declarations and text are skipped.
class TagReader {
public:
    explicit TagReader(std::string_view xml) : xml_(xml) {}

    bool next(Tag& tag) {
        while (true) {
            const auto open = xml_.find('<', at_);
            if (open == std::string_view::npos) return false;
            if (xml_.compare(open, 4, "<!--") == 0) {
                const auto end = xml_.find("-->", open + 4);
                if (end == std::string_view::npos) return false;
                at_ = end + 3;
                continue;
            }
            if (xml_.compare(open, 2, "<?") == 0 || xml_.compare(open, 2, "<!") == 0) {
                const auto end = xml_.find('>', open);
                if (end == std::string_view::npos) return false;
                at_ = end + 1;
                continue;
            }
            return readTag(open, tag);
        }
    }

private:
    bool readTag(std::size_t open, Tag& tag) {
        tag = Tag();
        std::size_t i = open + 1;
        if (i < xml_.size() && xml_[i] == '/') {
            tag.closing = true;
            ++i;
        }
        const auto nameStart = i;
        while (i < xml_.size() && !std::isspace(static_cast<unsigned char>(xml_[i])) && xml_[i] != '>' &&
               xml_[i] != '/')
            ++i;
        tag.name = lower(xml_.substr(nameStart, i - nameStart));
        while (i < xml_.size()) {
            const char c = xml_[i];
            if (c == '>') {
                at_ = i + 1;
                return true;
            }
            if (c == '/') {
                tag.selfClosing = true;
                ++i;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++i;
                continue;
            }
            const auto attrStart = i;
            while (i < xml_.size() && xml_[i] != '=' && xml_[i] != '>' &&
                   !std::isspace(static_cast<unsigned char>(xml_[i])))
                ++i;
            const std::string attrName = lower(xml_.substr(attrStart, i - attrStart));
            while (i < xml_.size() && std::isspace(static_cast<unsigned char>(xml_[i]))) ++i;
            if (i >= xml_.size() || xml_[i] != '=') continue;
            ++i;
            while (i < xml_.size() && std::isspace(static_cast<unsigned char>(xml_[i]))) ++i;
            if (i >= xml_.size() || (xml_[i] != '"' && xml_[i] != '\'')) return false;
            const char quote = xml_[i];
            const auto end = xml_.find(quote, i + 1);
            if (end == std::string_view::npos) return false;
            tag.attributes[attrName] = decodeEntities(xml_.substr(i + 1, end - i - 1));
            i = end + 1;
        }
        return false;
    }

    std::string_view xml_;
    std::size_t at_ = 0;
};

std::string attribute(const Tag& tag, const char* name) {
    const auto found = tag.attributes.find(name);
    return found == tag.attributes.end() ? std::string() : found->second;
}

// Whether the reader is exactly at `path` from the root: a <location> section applies to its
// own path only and is left out.
bool isAt(const std::vector<std::string>& open, std::initializer_list<const char*> path) {
    if (open.size() != path.size()) return false;
    auto at = open.begin();
    for (const char* name : path)
        if (*at++ != name) return false;
    return true;
}

}  // namespace

bool WebConfig::refuses(std::string_view sitePath) const {
    const std::string path = lower(sitePath);
    std::size_t start = 0;
    while (start <= path.size()) {
        auto end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view segment(path.data() + start, end - start);
        if (!segment.empty() &&
            std::find(hiddenSegments.begin(), hiddenSegments.end(), segment) != hiddenSegments.end())
            return true;
        start = end + 1;
    }
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        const std::string extension = path.substr(dot);
        if (std::find(deniedExtensions.begin(), deniedExtensions.end(), extension) != deniedExtensions.end())
            return true;
    }
    return false;
}

WebConfig parseWebConfig(std::string_view xml) {
    WebConfig config;
    std::vector<std::string> open;  // the elements the reader is inside
    TagReader reader(xml);
    Tag tag;
    while (reader.next(tag)) {
        if (tag.closing) {
            if (!open.empty() && open.back() == tag.name) open.pop_back();
            continue;
        }
        if (isAt(open, {"configuration", "system.webserver", "httpprotocol", "customheaders"})) {
            const std::string name = attribute(tag, "name");
            auto same = [&](const auto& header) { return lower(header.first) == lower(name); };
            if (tag.name == "clear") config.headers.clear();
            if (tag.name == "remove" || tag.name == "add")
                config.headers.erase(std::remove_if(config.headers.begin(), config.headers.end(), same),
                                     config.headers.end());
            if (tag.name == "add" && !name.empty()) config.headers.emplace_back(name, attribute(tag, "value"));
        } else if (isAt(open,
                        {"configuration", "system.webserver", "security", "requestfiltering", "hiddensegments"}) &&
                   tag.name == "add") {
            const std::string segment = lower(attribute(tag, "segment"));
            if (!segment.empty()) config.hiddenSegments.push_back(segment);
        } else if (isAt(open,
                        {"configuration", "system.webserver", "security", "requestfiltering", "fileextensions"}) &&
                   tag.name == "add") {
            if (lower(attribute(tag, "allowed")) == "false")
                config.deniedExtensions.push_back(lower(attribute(tag, "fileextension")));
        }
        if (!tag.selfClosing) open.push_back(tag.name);
    }
    return config;
}

WebConfig readWebConfig(const std::filesystem::path& siteRoot) {
    std::ifstream in(siteRoot / "web.config", std::ios::binary);
    if (!in) return {};
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseWebConfig(text);
}

}  // namespace tabulon::preview

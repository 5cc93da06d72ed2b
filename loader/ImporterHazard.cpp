#include "loader/ImporterHazard.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <vector>

namespace {

// The importer's own separators between numbers.
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Markup that holds no elements, from its start to its end.
const std::pair<std::string_view, std::string_view> markupWithoutElements[] = {{"<!--", "-->"}, {"<![CDATA[", "]]>"}};

// One start or end tag of the document, as far as the checks need it.
struct Tag {
    std::string_view name;  // "/accessor" for an end tag
    std::map<std::string_view, std::string_view> attributes;
    bool empty = false;  // <name ... />
    size_t end = 0;      // just past its '>'
};

// The tag whose '<' is at text[at]; false when it never ends.
bool readTag(std::string_view text, size_t at, Tag& tag)
{
    size_t i = at + 1;
    if (i >= text.size())
        return false;
    const auto endOfName = [&text](size_t from) {
        while (from < text.size() && !isSpace(text[from]) && text[from] != '>' && text[from] != '/' &&
               text[from] != '=')
            ++from;
        return from;
    };
    size_t nameEnd = endOfName(text[i] == '/' ? i + 1 : i);
    tag.name = text.substr(i, nameEnd - i);
    for (i = nameEnd; i < text.size();) {
        const char c = text[i];
        if (c == '>') {
            tag.end = i + 1;
            return true;
        }
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '>') {
            tag.empty = true;
            tag.end = i + 2;
            return true;
        }
        if (isSpace(c) || c == '/') {
            ++i;
            continue;
        }
        const size_t attributeEnd = std::max(endOfName(i), i + 1);
        const std::string_view attribute = text.substr(i, attributeEnd - i);
        i = attributeEnd;
        while (i < text.size() && isSpace(text[i]))
            ++i;
        if (i >= text.size() || text[i] != '=')
            continue;
        ++i;
        while (i < text.size() && isSpace(text[i]))
            ++i;
        if (i >= text.size() || (text[i] != '"' && text[i] != '\''))
            continue;
        const size_t close = text.find(text[i], i + 1);
        if (close == std::string_view::npos)
            return false;
        tag.attributes[attribute] = text.substr(i + 1, close - i - 1);
        i = close + 1;
    }
    return false;
}

// An attribute read as the importer reads a number: absent gives the fallback, a plain
// decimal its value; anything else (a sign, hex, an entity) gives -1, which is refused.
double number(const Tag& tag, std::string_view name, double fallback)
{
    const auto found = tag.attributes.find(name);
    if (found == tag.attributes.end())
        return fallback;
    std::string_view value = found->second;
    while (!value.empty() && isSpace(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && isSpace(value.back()))
        value.remove_suffix(1);
    if (value.empty())
        return -1.0;
    double result = 0.0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return -1.0;
        result = result * 10.0 + (c - '0');
    }
    return result;
}

// The sum of the numbers in text, each a run of digits.
double sumOfNumbers(std::string_view text)
{
    double sum = 0.0, current = 0.0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            current = current * 10.0 + (c - '0');
        } else {
            sum += current;
            current = 0.0;
        }
    }
    return sum + current;
}

const char* const oversizedCount =
    "a count claims more entries than the whole file could hold, and the importer reserves room for all of them";

struct Accessor {
    std::string_view source;
    double count, offset, stride;
    double width = 0.0;  // values per element its parameters name
};

}  // namespace

std::string findImporterHazard(const std::string& document)
{
    const std::string_view text(document);
    // Whatever a count counts (values, primitives, corners, weights), each entry takes at least
    // a byte of the file.
    const double fileSize = double(text.size());
    std::map<std::string_view, double> arraySizes;  // id -> declared count
    std::vector<Accessor> accessors;
    bool inAccessor = false;

    for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at)) {
        const auto skip =
            std::find_if(std::begin(markupWithoutElements), std::end(markupWithoutElements),
                         [&](const auto& pair) { return text.substr(at, pair.first.size()) == pair.first; });
        if (skip != std::end(markupWithoutElements)) {
            const size_t close = text.find(skip->second, at);
            if (close == std::string_view::npos)
                break;
            at = close + skip->second.size();
            continue;
        }
        Tag tag;
        if (!readTag(text, at, tag))
            break;
        at = tag.end;
        const size_t contentEnd = std::min(text.find('<', at), text.size());
        const std::string_view content = text.substr(at, contentEnd - at);

        const double count = number(tag, "count", 0.0);
        if (count > fileSize)
            return oversizedCount;

        if (tag.name == "p" && !tag.empty) {
            const bool numbers = std::all_of(content.begin(), content.end(), [](char c) {
                return isSpace(c) || (c >= '0' && c <= '9') || c == '-' || c == '+';
            });
            if (!numbers || text.substr(contentEnd, 4) != "</p>")
                return "an index list (<p>) holds something other than numbers, and the importer never gets past it";
        } else if (tag.name == "vcount" && !tag.empty) {
            if (sumOfNumbers(content) > fileSize)
                return oversizedCount;
        } else if (tag.name == "float_array" || tag.name == "Name_array" || tag.name == "IDREF_array") {
            if (count < 0.0)
                return "the count of a data array is not a plain number";
            arraySizes[tag.attributes["id"]] = count;
        } else if (tag.name == "accessor") {
            accessors.push_back(
                {tag.attributes["source"], count, number(tag, "offset", 0.0), number(tag, "stride", 1.0)});
            if (accessors.back().count < 0.0 || accessors.back().offset < 0.0 || accessors.back().stride < 0.0)
                return "the count, offset or stride of an accessor is not a plain number";
            inAccessor = !tag.empty;
        } else if (tag.name == "param" && inAccessor) {
            accessors.back().width += tag.attributes["type"] == "float4x4" ? 16.0 : 1.0;
        } else if (tag.name == "/accessor") {
            inAccessor = false;
        }
    }

    for (const Accessor& accessor : accessors) {
        std::string_view source = accessor.source;
        if (!source.empty() && source.front() == '#')
            source.remove_prefix(1);
        const auto array = arraySizes.find(source);
        // An accessor of an array that does not exist is refused by the importer itself.
        if (array == arraySizes.end() || accessor.count == 0.0)
            continue;
        // Element i starts at offset + i * stride and spans its parameters (one value at least).
        const double end = accessor.offset + (accessor.count - 1.0) * accessor.stride + std::max(accessor.width, 1.0);
        if (end > array->second)
            return "an accessor reaches past the end of its data array, and the importer reads there unchecked";
    }
    return {};
}

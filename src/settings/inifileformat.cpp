#include "settings/inifileformat.h"

#include <QList>

namespace inifileformat {

namespace {

constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF", 3);

/** Control characters and the space: what the file format skips around names and values. */
bool isBlank(char c)
{
    const auto byte = static_cast<uchar>(c);
    return byte >= 1 && byte <= ' ';
}

QByteArrayView skipLeading(QByteArrayView text)
{
    qsizetype at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return text.sliced(at);
}

QByteArrayView trimTrailing(QByteArrayView text)
{
    qsizetype size = text.size();
    while (size > 0 && isBlank(text[size - 1]))
        --size;
    return text.first(size);
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

/** One line of the text: bytes [begin, end), followed by '\n' when terminated. */
struct Line {
    qsizetype begin = 0;
    qsizetype end = 0;
    bool terminated = false;
};

QList<Line> splitLines(QByteArrayView text)
{
    QList<Line> lines;
    qsizetype at = hasByteOrderMark(text) ? kByteOrderMark.size() : 0;
    while (at < text.size()) {
        const qsizetype newline = text.indexOf('\n', at);
        if (newline < 0) {
            lines.append({at, text.size(), false});
            break;
        }
        lines.append({at, newline, true});
        at = newline + 1;
    }
    return lines;
}

/** The line as the format reads it: up to its first NUL, leading blanks skipped. */
QByteArrayView lineStart(QByteArrayView text, const Line& line)
{
    QByteArrayView bytes = text.sliced(line.begin, line.end - line.begin);
    const qsizetype nul = bytes.indexOf('\0');
    return skipLeading(nul < 0 ? bytes : bytes.first(nul));
}

bool isHeaderOf(QByteArrayView start, QByteArrayView section)
{
    const qsizetype close = start.lastIndexOf(']');
    return start.startsWith('[') && close > 0 &&
           sameName(trimTrailing(skipLeading(start.sliced(1, close - 1))), section);
}

/** Key name and the rest of a key line; nothing for comments and lines without '=' or ':'. */
std::optional<std::pair<QByteArrayView, QByteArrayView>> splitKeyLine(QByteArrayView start)
{
    if (start.isEmpty() || start[0] == ';' || start[0] == '#')
        return std::nullopt;
    qsizetype separator = start.indexOf('=');
    if (separator < 0)
        separator = start.indexOf(':');
    if (separator < 0)
        return std::nullopt;
    return std::pair{trimTrailing(start.first(separator)), start.sliced(separator + 1)};
}

/** Where a key is, or would go, in the text. */
struct Place {
    bool sectionFound = false;
    qsizetype keyLine = -1;     ///< the key's line, -1 when absent
    qsizetype lastFilled = -1;  ///< last line of the section that is not blank (or its header)
};

Place locate(QByteArrayView text, const QList<Line>& lines, QByteArrayView section,
             QByteArrayView key)
{
    Place place;
    qsizetype first = 0;
    if (!section.isEmpty()) {
        while (first < lines.size() && !isHeaderOf(lineStart(text, lines[first]), section))
            ++first;
        if (first == lines.size())
            return place;
        place.lastFilled = first++;
    }
    place.sectionFound = true;
    for (qsizetype i = first; i < lines.size(); ++i) {
        const QByteArrayView start = lineStart(text, lines[i]);
        if (start.startsWith('['))
            break;
        if (!start.isEmpty())
            place.lastFilled = i;
        const auto keyLine = splitKeyLine(start);
        if (keyLine && !key.isEmpty() && sameName(keyLine->first, key)) {
            place.keyLine = i;
            break;
        }
    }
    return place;
}

/** The end of the text that stands before a comment (';' or '#' outside double quotes). */
qsizetype commentStart(QByteArrayView value)
{
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool quoteFollows = i + 1 < value.size() && value[i + 1] == '"';
        if ((c == ';' || c == '#') && !quoted)
            return i;
        if (c == '"' && quoteFollows)
            ++i;  // "" inside or outside a string
        else if (c == '"')
            quoted = !quoted;
        else if (c == '\\' && quoteFollows)
            ++i;  // \" never opens or closes a string
    }
    return value.size();
}

QByteArray cleanValue(QByteArrayView rest)
{
    QByteArrayView value = skipLeading(rest);
    value = trimTrailing(value.first(commentStart(value)));
    if (value.isEmpty() || value.front() != '"' || value.back() != '"')
        return value.toByteArray();
    const QByteArrayView inner = value.size() >= 2 ? value.sliced(1, value.size() - 2) : "";
    QByteArray unquoted;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if ((inner[i] == '"' || inner[i] == '\\') && i + 1 < inner.size() && inner[i + 1] == '"')
            ++i;
        unquoted += inner[i];
    }
    return unquoted;
}

/** The value as written after '=': in double quotes when reading would change it
 *  otherwise (blanks at either end, a quote, a comment character). */
QByteArray encodeValue(QByteArrayView value)
{
    const bool plain = (value.isEmpty() || (!isBlank(value.front()) && !isBlank(value.back()))) &&
                       !value.contains('"') && !value.contains(';') && !value.contains('#');
    if (plain)
        return value.toByteArray();
    QByteArray quoted = "\"";
    for (const char c : value) {
        if (c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

/** The line ending of the text's first line ("\n" when it has none). */
QByteArray fileLineEnding(QByteArrayView text, const QList<Line>& lines)
{
    if (lines.isEmpty() || !lines.front().terminated)
        return "\n";
    const Line& first = lines.front();
    return first.end > first.begin && text[first.end - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace

bool hasByteOrderMark(QByteArrayView text)
{
    return text.startsWith(kByteOrderMark);
}

std::optional<QByteArray> findValue(QByteArrayView text, QByteArrayView section, QByteArrayView key)
{
    const QList<Line> lines = splitLines(text);
    const Place place = locate(text, lines, section, key);
    if (place.keyLine < 0)
        return std::nullopt;
    return cleanValue(splitKeyLine(lineStart(text, lines[place.keyLine]))->second);
}

bool isWritableSection(QByteArrayView name)
{
    return !name.isEmpty() && !isBlank(name.front()) && !isBlank(name.back()) &&
           !name.contains(']') && isWritableValue(name);
}

bool isWritableKey(QByteArrayView name)
{
    return !name.isEmpty() && !isBlank(name.front()) && !isBlank(name.back()) &&
           name.front() != '[' && name.front() != ';' && name.front() != '#' &&
           !name.contains('=') && !name.contains(':') && isWritableValue(name);
}

bool isWritableValue(QByteArrayView value)
{
    return !value.contains('\n') && !value.contains('\r') && !value.contains('\0');
}

QByteArray withValue(QByteArrayView text, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value)
{
    QByteArray result = text.toByteArray();
    const QList<Line> lines = splitLines(text);
    const Place place = locate(text, lines, section, key);
    if (place.keyLine >= 0 &&
        cleanValue(splitKeyLine(lineStart(text, lines[place.keyLine]))->second) == value)
        return result;  // already so: the file stays as it is
    const QByteArray ending = fileLineEnding(text, lines);
    const QByteArray keyLine = key.toByteArray() + '=' + encodeValue(value);
    if (!place.sectionFound) {
        if (!lines.isEmpty() && !lines.back().terminated)
            result += ending;
        return result + '[' + section.toByteArray() + ']' + ending + keyLine + ending;
    }
    if (place.keyLine >= 0) {
        // The line keeps its own ending; an unterminated last line stays unterminated.
        const Line& line = lines[place.keyLine];
        const bool crlf = line.terminated && line.end > line.begin && text[line.end - 1] == '\r';
        const qsizetype end = crlf ? line.end - 1 : line.end;
        return result.replace(line.begin, end - line.begin, keyLine);
    }
    if (place.lastFilled < 0)  // keys in front of the first section, none there yet
        return result.insert(hasByteOrderMark(text) ? kByteOrderMark.size() : 0, keyLine + ending);
    const Line& after = lines[place.lastFilled];
    if (!after.terminated)
        return result.insert(after.end, ending + keyLine + ending);
    return result.insert(after.end + 1, keyLine + ending);
}

}  // namespace inifileformat

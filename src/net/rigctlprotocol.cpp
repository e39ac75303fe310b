#include "net/rigctlprotocol.h"

#include "profile/radioprofile.h"

#include <cmath>
#include <iterator>

namespace rigctl {

namespace {

// clang-format off
constexpr CommandEntry kCommands[] = {
    {Command::GetFreq,      'f', "get_freq",      0, {"Frequency", nullptr},    false},
    {Command::SetFreq,      'F', "set_freq",      1, {nullptr, nullptr},        false},
    {Command::GetMode,      'm', "get_mode",      0, {"Mode", "Passband"},      false},
    {Command::SetMode,      'M', "set_mode",      2, {nullptr, nullptr},        false},
    {Command::GetVfo,       'v', "get_vfo",       0, {"VFO", nullptr},          false},
    {Command::SetVfo,       'V', "set_vfo",       1, {nullptr, nullptr},        false},
    {Command::GetSplitVfo,  's', "get_split_vfo", 0, {"Split", "TX VFO"},       false},
    {Command::SetSplitVfo,  'S', "set_split_vfo", 2, {nullptr, nullptr},        false},
    {Command::GetSplitFreq, 'i', "get_split_freq", 0, {"TX Frequency", nullptr}, false},
    {Command::SetSplitFreq, 'I', "set_split_freq", 1, {nullptr, nullptr},       false},
    {Command::GetSplitMode, 'x', "get_split_mode", 0, {"TX Mode", "TX Passband"}, false},
    {Command::SetSplitMode, 'X', "set_split_mode", 2, {nullptr, nullptr},       false},
    {Command::GetPtt,       't', "get_ptt",       0, {"PTT", nullptr},          false},
    {Command::SetPtt,       'T', "set_ptt",       1, {nullptr, nullptr},        false},
    {Command::ChkVfo,       0,   "chk_vfo",       0, {"ChkVFO", nullptr},       false},
    {Command::DumpState,    0,   "dump_state",    0, {nullptr, nullptr},        false},
    {Command::GetPowerstat, 0,   "get_powerstat", 0, {"Power Status", nullptr}, false},
    {Command::GetLockMode,  0,   "get_lock_mode", 0, {"Locked", nullptr},       true},
    {Command::DumpCaps,     '1', "dump_caps",     0, {nullptr, nullptr},        true},
    {Command::Quit,         'q', "quit",          0, {nullptr, nullptr},        false},
};
// clang-format on

struct ModeName {
    const char* name;
    quint8 code;
};

/** Hamlib's data modes mapped onto the radio's modes they use. */
constexpr ModeName kDataModes[] = {{"PKTLSB", 0}, {"PKTUSB", 1}, {"PKTFM", 5}};

const RadioMode* radioMode(quint8 code)
{
    for (const RadioMode& mode : kRadioProfile.modes) {
        if (mode.code == code)
            return &mode;
    }
    return nullptr;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QList<QByteArray> splitTokens(QByteArrayView line)
{
    QList<QByteArray> tokens;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            tokens.append(line.sliced(start, i - start).toByteArray());
    }
    return tokens;
}

char separatorFor(char prefix)
{
    return prefix == '+' ? '\n' : prefix;
}

bool isPrefix(char c)
{
    return c == '+' || c == ';' || c == '|' || c == ',';
}

const CommandEntry* findCommand(QByteArrayView name)
{
    if (name.size() > 1 && name[0] == '\\')
        return findLong(name.sliced(1));
    return name.size() == 1 ? findShort(name[0]) : nullptr;
}

void appendHeader(QByteArray* out, const Request& request)
{
    *out += request.entry->longName;
    *out += ':';
    for (const QByteArray& argument : request.arguments) {
        *out += ' ';
        *out += argument;
    }
    *out += request.separator;
}

void appendReport(QByteArray* out, Code code)
{
    *out += "RPRT " + QByteArray::number(static_cast<int>(code)) + '\n';
}

QByteArray formatExtended(const Request& request, const Reply& reply)
{
    QByteArray out;
    if (request.entry->command == Command::ChkVfo)  // rigctld's own form: no header, no report
        return "ChkVFO: " + reply.values.value(0) + '\n';
    appendHeader(&out, request);
    if (reply.code == Code::Ok) {
        for (qsizetype i = 0; i < reply.values.size(); ++i) {
            const char* label = i < 2 ? request.entry->labels[i] : nullptr;
            if (label == nullptr) {
                out += reply.values[i];  // a text of its own lines (dump_state, dump_caps)
                continue;
            }
            out += QByteArray(label) + ": " + reply.values[i] + request.separator;
        }
    }
    appendReport(&out, reply.code);
    return out;
}

}  // namespace

const CommandEntry* findShort(char name)
{
    for (const CommandEntry& entry : kCommands) {
        if (entry.shortName != 0 && entry.shortName == name)
            return &entry;
    }
    return name == 'Q' ? findShort('q') : nullptr;
}

const CommandEntry* findLong(QByteArrayView name)
{
    for (const CommandEntry& entry : kCommands) {
        if (name == QByteArrayView(entry.longName))
            return &entry;
    }
    return nullptr;
}

QList<Request> parseLine(QByteArrayView line)
{
    const QList<QByteArray> tokens = splitTokens(line);
    QList<Request> requests;
    qsizetype i = 0;
    while (i < tokens.size()) {
        Request request;
        QByteArrayView name = tokens[i++];
        if (isPrefix(name[0])) {
            request.separator = separatorFor(name[0]);
            name = name.sliced(1);
        }
        request.entry = findCommand(name);
        if (request.entry == nullptr) {  // unknown: it takes the rest of the line
            requests.append(request);
            break;
        }
        const qsizetype available = tokens.size() - i;
        const qsizetype wanted = request.entry->argumentCount;
        request.missingArguments = available < wanted;
        request.arguments = tokens.mid(i, std::min(available, wanted));
        i += request.arguments.size();
        requests.append(request);
    }
    return requests;
}

QByteArray formatReply(const Request& request, const Reply& reply)
{
    QByteArray out;
    if (request.entry == nullptr || request.entry->command == Command::Quit) {
        appendReport(&out, reply.code);
        return out;
    }
    if (request.separator != 0)
        return formatExtended(request, reply);
    if (reply.code != Code::Ok || reply.values.isEmpty()) {
        appendReport(&out, reply.code);
        return out;
    }
    for (const QByteArray& value : reply.values) {
        out += value;
        if (!value.endsWith('\n'))
            out += '\n';
    }
    if (request.entry->plainReportAfterValues)
        appendReport(&out, reply.code);
    return out;
}

std::optional<quint8> modeCodeFromName(QByteArrayView name)
{
    const QString text = QString::fromLatin1(name);
    for (const RadioMode& mode : kRadioProfile.modes) {
        if (text.compare(QStringView(mode.name), Qt::CaseInsensitive) == 0)
            return mode.code;
    }
    for (const ModeName& mode : kDataModes) {
        if (name.compare(QByteArrayView(mode.name), Qt::CaseInsensitive) == 0)
            return mode.code;
    }
    return std::nullopt;
}

QByteArray modeName(quint8 code)
{
    const RadioMode* mode = radioMode(code);
    return mode ? QString::fromUtf16(mode->name).toLatin1() : QByteArray();
}

int normalPassbandHz(quint8 code)
{
    const RadioMode* mode = radioMode(code);
    return mode ? mode->normalPassbandHz : 0;
}

std::optional<VfoName> vfoFromName(QByteArrayView name)
{
    const auto is = [name](const char* text) {
        return name.compare(QByteArrayView(text), Qt::CaseInsensitive) == 0;
    };
    if (is("VFOA") || is("Main"))
        return VfoName::A;
    if (is("VFOB") || is("Sub"))
        return VfoName::B;
    if (is("currVFO") || is("VFO"))
        return VfoName::Current;
    return std::nullopt;
}

std::optional<quint64> frequencyFromText(QByteArrayView text)
{
    bool ok = false;
    const double value = text.toByteArray().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > 1e12)
        return std::nullopt;
    return static_cast<quint64>(std::llround(value));
}

}  // namespace rigctl

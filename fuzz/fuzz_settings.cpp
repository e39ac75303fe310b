// The settings file's reader and writer over arbitrary file contents. Every key the program
// uses is read; then COMPORT is written with a value taken from the input, and must read
// back as that value while every other key reads as before and the file keeps its line
// endings and byte-order mark. Any broken rule aborts (a finding).

#include "fuzzcheck.h"
#include "settings/inifileformat.h"

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

struct Probe {
    const char* section;
    const char* key;
};

constexpr std::array<Probe, 8> kProbes = {{
    {"SETTINGS", "ADDR706"},
    {"SETTINGS", "COM1"},
    {"BOOKMARKS", "BOOK0"},
    {"BOOKMARKS", "BOOK1"},
    {"BOOKMARKS", "BOOK1CAPTION"},
    {"bookmarks", "book2"},
    {"", "COMPORT"},
    {"OTHER", "COMPORT"},
}};

/** True when every line break of text is CR LF. */
bool allCrLf(QByteArrayView text)
{
    for (qsizetype at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) {
        if (at == 0 || text[at - 1] != '\r')
            return false;
    }
    return text.contains('\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView text(data, static_cast<qsizetype>(size));
    std::array<std::optional<QByteArray>, kProbes.size()> before;
    for (std::size_t i = 0; i < kProbes.size(); ++i) {
        before[i] = inifileformat::findValue(text, kProbes[i].section, kProbes[i].key);
        if (before[i])
            check(!before[i]->contains('\n') && !before[i]->contains('\0'),
                  "a value read holds no line feed and no NUL");
    }

    QByteArray value = text.first(std::min<qsizetype>(text.size(), 24)).toByteArray();
    for (char& c : value) {
        if (c == '\n' || c == '\r' || c == '\0')
            c = 'x';
    }
    const QByteArray written = inifileformat::withValue(text, "SETTINGS", "COMPORT", value);
    check(inifileformat::findValue(written, "SETTINGS", "COMPORT") == value, "value reads back");
    for (std::size_t i = 0; i < kProbes.size(); ++i) {
        check(inifileformat::findValue(written, kProbes[i].section, kProbes[i].key) == before[i],
              "other keys unchanged");
    }
    check(inifileformat::hasByteOrderMark(written) == inifileformat::hasByteOrderMark(text),
          "byte-order mark kept");
    if (allCrLf(text))
        check(allCrLf(written), "CR LF kept");
    return 0;
}

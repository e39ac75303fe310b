#include "hamlib/hamlibdebug.h"

#include <QByteArray>

#include <hamlib/rig.h>

#include <atomic>
#include <clocale>
#include <cstdarg>
#include <cstdio>

namespace {

std::atomic<HamlibLog::Level> g_level{HamlibLog::Level::Warning};

/** Hamlib's debug callback: formats the piece, keeps what follows the last line end for the
 *  next piece of the same thread, and tells every whole line. */
int debugCallback(enum rig_debug_level_e, rig_ptr_t, const char* format, va_list arguments)
{
    thread_local QByteArray pending;
    char buffer[1024];
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, copy);
    va_end(copy);
    if (length <= 0)
        return 0;
    pending.append(buffer, std::min<int>(length, int(sizeof buffer) - 1));
    qsizetype end;
    while ((end = pending.indexOf('\n')) >= 0) {
        QByteArray text = pending.left(end);
        pending.remove(0, end + 1);
        if (text.endsWith('\r'))
            text.chop(1);
        emit HamlibLog::instance()->line(QString::fromLocal8Bit(text));
    }
    return length;
}

rig_debug_level_e hamlibLevel(HamlibLog::Level level)
{
    switch (level) {
        case HamlibLog::Level::None:
            return RIG_DEBUG_NONE;
        case HamlibLog::Level::Bug:
            return RIG_DEBUG_BUG;
        case HamlibLog::Level::Error:
            return RIG_DEBUG_ERR;
        case HamlibLog::Level::Warning:
            return RIG_DEBUG_WARN;
        case HamlibLog::Level::Verbose:
            return RIG_DEBUG_VERBOSE;
        case HamlibLog::Level::Trace:
            return RIG_DEBUG_TRACE;
    }
    return RIG_DEBUG_WARN;
}

}  // namespace

HamlibLog::HamlibLog()
{
    // Hamlib's open saves LC_NUMERIC's name, sets "C" and restores the saved name, which
    // that very set freed (a use after free, and a locale change from the worker thread).
    // With LC_NUMERIC already "C" both sets change nothing; Qt's own number texts do not
    // depend on it.
    std::setlocale(LC_NUMERIC, "C");
    rig_set_debug_callback(debugCallback, nullptr);
    rig_set_debug(hamlibLevel(g_level.load()));
}

HamlibLog* HamlibLog::instance()
{
    static HamlibLog log;
    return &log;
}

void HamlibLog::setLevel(Level level)
{
    instance();
    g_level = level;
    rig_set_debug(hamlibLevel(level));
}

HamlibLog::Level HamlibLog::level()
{
    return g_level.load();
}

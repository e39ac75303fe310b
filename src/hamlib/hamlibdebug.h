#pragma once

#include <QObject>
#include <QString>

/**
 * Hamlib's debug output, one text line at a time, for the frame log; none of it reaches
 * the terminal. Hamlib has one debug output for the whole program, so every radio's lines
 * come through the one HamlibLog.
 *
 *   connect(HamlibLog::instance(), &HamlibLog::line, frameLog, ...);
 *   HamlibLog::setLevel(HamlibLog::Level::Trace);   // frames as hex dumps
 *
 * instance() must first be called on the GUI thread (HamlibRadio and hamlibModels() do it
 * before their first Hamlib call); line() is emitted on the thread that called Hamlib, so
 * receivers on the GUI thread get it queued.
 */
class HamlibLog : public QObject {
    Q_OBJECT
public:
    /** Hamlib's debug levels, quietest first. */
    enum class Level { None, Bug, Error, Warning, Verbose, Trace };

    /** The one log; the first call installs it as Hamlib's debug output (level Warning). */
    static HamlibLog* instance();
    static void setLevel(Level level);
    static Level level();

signals:
    /** One line of Hamlib's debug output, without its line end. */
    void line(const QString& text);

private:
    HamlibLog();
};

#pragma once

#include <QString>

/** A field for a delimited line: in double quotes (inner quotes doubled) when it holds the
 *  separator, a quote, a line break or a leading '#', or when quoted is asked for. */
QString csvField(const QString& text, QChar separator, bool quoted = false);

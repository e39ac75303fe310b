#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

/**
 * The text of a profile (INI) file, read and edited as bytes. Pure: no I/O.
 *
 *   [SECTION]            a section runs from its header to the next line starting with '[';
 *                        blanks inside the brackets around the name do not count
 *   ; comment            lines starting with ';' or '#' are comments
 *   KEY = value ; note   key and value around '=' (or ':' when the line has no '='),
 *                        blanks around both ignored, a trailing comment dropped
 *   KEY="  quoted; "     double quotes keep blanks, ';' and '#'; \" is a quote inside
 *
 * Section and key names compare without regard to ASCII case. The first section of a name
 * and the first key of a name in it count; a line is read up to its first NUL byte. A UTF-8
 * byte-order mark in front of the text is no part of the first line.
 */
namespace inifileformat {

/** True when text starts with the UTF-8 byte-order mark EF BB BF. */
bool hasByteOrderMark(QByteArrayView text);

/** The value of key in section, without blanks, comment or quotes; std::nullopt when the
 *  section or the key is absent. An empty section name finds the keys in front of the
 *  first section. */
std::optional<QByteArray> findValue(QByteArrayView text, QByteArrayView section,
                                    QByteArrayView key);

/** True when name can be written as a section (not empty, no ']' or line break, no blanks
 *  around it) or a key (the same, and no '=' or ':', no leading '[', ';' or '#'). */
bool isWritableSection(QByteArrayView name);
bool isWritableKey(QByteArrayView name);
/** True when value can be written: no line break and no NUL byte. */
bool isWritableValue(QByteArrayView value);

/**
 * text with key in section set to value, so that findValue gives value back and every
 * other key reads as before. An existing key line is replaced where it stands; a new key
 * goes after the last line of its section that is not blank; a new section goes at the
 * end. Every other byte is kept: the byte-order mark, comments, and the line ending of
 * each line (new lines take the ending of the file's first line). A key that already
 * holds value leaves text as it is. Names and value must pass the isWritable checks.
 */
QByteArray withValue(QByteArrayView text, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value);

}  // namespace inifileformat

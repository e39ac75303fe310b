#pragma once

#include <QByteArray>
#include <QStringView>

#include <optional>

/**
 * Builders for every frame the controller sends. Each returns the whole frame,
 *   FE FE <radioAddress> E0 <cmd> [<data>...] FD
 * ready for one write to the port. Builders that convert digits return std::nullopt
 * when a digit is not 0-9 (the caller must handle it; nothing is sent).
 */

enum class Vfo { A, B };

/** Any frame on the bus: FE FE to from cmd data... FD (the virtual radio answers with it). */
QByteArray civFrame(quint8 to, quint8 from, quint8 command, QByteArrayView data = {});

/** Generic frame: FE FE addr E0 cmd data... FD. */
QByteArray commandFrame(quint8 radioAddress, quint8 command, QByteArrayView data = {});

/** Set frequency (05) from the entry pad's nine digits D0..D8 (100 MHz down to 1 Hz):
 *  b1 = D7D8, b2 = D5D6, b3 = D3D4, b4 = D1D2, b5 = "0"D0. */
std::optional<QByteArray> setFrequencyFrame(quint8 radioAddress, QStringView nineDigits);

/** Set frequency (05) from a stored frequency text of 11 characters "MMM.KKK.HHH":
 *  b1 = chars 10,11; b2 = chars 7,9; b3 = chars 5,6; b4 = chars 2,3; b5 = "0",char 1
 *  (positions from 1). Fails unless the text is exactly three groups of three digits
 *  joined by '.'. */
std::optional<QByteArray> setFrequencyFrameFromStored(quint8 radioAddress, QStringView text11);

/** Set mode (06 m), m = 0..6; the mode byte alone, never a filter byte. */
QByteArray setModeFrame(quint8 radioAddress, quint8 modeCode);

/** Select VFO (07 00 / 07 01). */
QByteArray selectVfoFrame(quint8 radioAddress, Vfo vfo);

/** Scan start (0E 01) / stop (0E 00). */
QByteArray scanFrame(quint8 radioAddress, bool start);

/** Split on (0F 01) / off (0F 00). */
QByteArray splitFrame(quint8 radioAddress, bool on);

/** Tuning step (10 s), s = the step button's index 0..9. */
QByteArray tuningStepFrame(quint8 radioAddress, quint8 stepCode);

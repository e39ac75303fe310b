#pragma once

#include <QByteArray>

/**
 * What the rigctld protocol tells a client about the radio (an IC-706MKII-class
 * transceiver driven over CI-V), in Hamlib 4.5's words.
 */
namespace rigctl {

/** How long a client should wait for one answer, ms: the radio's answer time plus room
 *  for requests of other clients queued before it. Clients add their own network margin. */
inline constexpr int kClientTimeoutMs = 3000;

/**
 * The answer to \dump_state, protocol version 1, one item a line, as Hamlib's NET rigctl
 * backend reads it:
 *
 *   1                        protocol version
 *   3010                     model
 *   0                        ITU region (not known)
 *   <start> <end> <modes> <low mW> <high mW> <vfos> <antennas>   reception ranges ...
 *   0 0 0 0 0 0 0            ... end
 *   <start> <end> ...        transmission ranges per band and power class ... end
 *   <modes> <step Hz>        tuning steps ... "0 0"
 *   <modes> <width Hz>       filters, the normal one of each mode first ... "0 0"
 *   max RIT, max XIT, max IF shift, announces, preamps (dB), attenuators (dB)
 *   get/set func, get/set level, get/set parm masks
 *   key=value lines (vfo_ops, ptt_type, targetable_vfo, has_..., timeout, ...)
 *   done
 *
 * Modes are Hamlib's mode bits (AM 0x1, CW 0x2, USB 0x4, LSB 0x8, RTTY 0x10, FM 0x20,
 * WFM 0x40); VFOs its VFO bits (A 0x1, B 0x2).
 */
QByteArray dumpStateText();

/** The answer to \dump_caps: a short description of the radio, one "Name:\tvalue" a line. */
QByteArray dumpCapsText();

}  // namespace rigctl

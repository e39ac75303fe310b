#pragma once

#include "common/errorcatalogue.h"
#include "hamlib/hamlibtypes.h"
#include "radio/radiocommands.h"

#include <optional>

/**
 * Hamlib's values in this program's terms: its modes (rmode_t bits) as the radio's mode
 * codes, its status codes (RIG_OK, -RIG_ETIMEOUT, ...) as the four answers of the native
 * path, and a failed open as the same error numbers and texts the serial line gives.
 */
namespace hamlibmapping {

/** The mode code (0 LSB .. 6 WFM) of one Hamlib mode; CW-R and RTTY-R are CW and RTTY.
 *  std::nullopt for a mode this program has no code for. */
std::optional<quint8> modeCode(quint64 hamlibMode);
/** Hamlib's mode for a mode code; 0 (RIG_MODE_NONE) for a code outside 0..6. */
quint64 hamlibMode(quint8 modeCode);

/** The answer a status gives: RIG_OK Ok; the radio or Hamlib saying no (rejected, not
 *  available, invalid, ...) Rejected; no answer in time (or no echo of the frame on a
 *  CI-V line) Timeout; anything else, a line or
 *  connection that failed, WriteFailed. */
RadioCommands::Answer answer(int status);
/** The radio did not answer: a timeout, or the line or connection failed. */
bool unanswered(int status);

/** The error of an open of target that returned status. For a serial device, what the
 *  file system says of it decides as on the native path: 8002 missing, 70 no permission,
 *  8005 in use; a radio on another computer that cannot be reached is 9201. */
AppError openError(int status, const HamlibTarget& target);

}  // namespace hamlibmapping

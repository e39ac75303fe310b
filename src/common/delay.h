#pragma once

/**
 * Delay(PauseTime): waits PauseTime seconds while events keep running (a nested event loop
 * woken by a precise single-shot timer), measured on a monotonic clock. Never returns
 * early; returns at once for 0 or less. No busy waiting.
 */
void Delay(double PauseTime);

/** Ends every Delay that is running now, at once (used when the program quits inside a
 *  wait), and makes later calls return at once. */
void abortDelays();

/** True after abortDelays(). */
bool delaysAborted();

/** Undoes abortDelays() (tests that build a fresh window in the same process). */
void resetDelays();

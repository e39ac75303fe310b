#pragma once

#include "hamlib/hamlibtypes.h"

/** The profile of a radio opened through Hamlib, from its capabilities: its name, its
 *  receive ranges (clipped to kHighestStorableHz: what a memory holds), the program's modes
 *  it has. A radio that reports no range receives 1 Hz to kHighestStorableHz. The profile
 *  and what it points to live as long as the program (radioprofile::setCurrent's rule);
 *  each call adds one, so call it once per opened radio. */
const RadioProfile& hamlibProfile(const HamlibCapabilities& capabilities);

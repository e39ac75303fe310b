#pragma once

#include <cstdio>
#include <cstdlib>

/** A rule every input must keep: a broken one prints its name and aborts, which libFuzzer
 *  reports as a finding with the input that broke it. */
inline void check(bool rule, const char* what)
{
    if (!rule) {
        std::fprintf(stderr, "broken rule: %s\n", what);
        std::abort();
    }
}

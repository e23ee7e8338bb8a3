// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the RIFF WAVE reader and the sound request built on it:
// any bytes, no crash, no reach past them, no broken promise (RiffWaveCheck.h).
#include "RiffWaveCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size)
{
    if (const char *broken = riffWaveBroken(data, size)) {
        std::fprintf(stderr, "RIFF reader: %s\n", broken);
        std::abort();
    }
    return 0;
}

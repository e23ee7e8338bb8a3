// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

// The clips the program carries: found among its resources, read as RIFF WAVE
// images, and decided into what the sound output does with one request.
namespace platform {

// The bytes of one of the program's own resources, found by its type and name
// (":/TYPE/NAME" among the embedded files, letter case ignored). A missing one is the failure
// ResourceNotFound.
QByteArray loadResource(const QString &type, const QString &name);

// The "fmt " chunk of a PCM wave file, but for its bytes per second, which nothing needs.
struct WaveFormat
{
    quint16 formatTag = 0;
    quint16 channels = 0;
    quint32 samplesPerSecond = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;
};

// A RIFF WAVE image as it lies in memory: its format and where its samples are.
struct RiffWave
{
    WaveFormat format;
    qsizetype dataOffset = 0; // first sample byte, counted from the start of the image
    qsizetype dataSize = 0;   // sample bytes, without the pad byte of an odd chunk
};

// Reads the RIFF WAVE PCM image at the start of bytes, in place. The chunks are
// walked by their lengths, an odd chunk followed by its pad byte; chunks other
// than "fmt " and "data" are skipped, and bytes after the RIFF form are ignored.
// Nothing when the image is not RIFF WAVE PCM, or when a length runs past the
// bytes or past the form.
std::optional<RiffWave> readRiffWave(QByteArrayView bytes) noexcept;

// The flags of the platform's sound-playing call.
enum SoundFlag : int {
    // Without SndAsync the call returns when the clip has been heard to its end.
    SndAsync = 0x1,     // return at once, the clip plays on
    SndNoDefault = 0x2, // a clip that cannot be played stays silent
    SndMemory = 0x4,    // the image is a wave file in memory, not a file name
};

// What the sound-playing call does with one request.
struct SoundRequest
{
    enum Action { PlayClip, PlayDefaultSound, StaySilent };
    Action action = StaySilent;
    RiffWave clip;           // PlayClip: the samples to play, inside the image
    bool synchronous = true; // PlayClip: wait until the clip has been heard
};

// Decides a request: a clip that can be played is played, one that cannot is
// replaced by the default sound unless SndNoDefault asks for silence. Only wave
// images in memory are understood, as PCM of 8 or 16 bits.
SoundRequest soundRequest(QByteArrayView image, int flags) noexcept;

// How long the clip lasts when played, in milliseconds.
qint64 clipMilliseconds(const RiffWave &clip) noexcept;

} // namespace platform

// Stands in for the BASS 1.5 audio library: the few calls the engine makes to
// play its music, with the library's names, types and constants.
//
// Contract:
// - BASS_GetVersion answers 0x00050001 (version 1.5).
// - BASS_Init opens SDL's default audio output (44 100 Hz unless asked
//   otherwise, stereo, 16-bit) and answers FALSE when there is none or it is
//   already open. BASS_Start and BASS_Stop resume and pause the output;
//   BASS_Free closes it and frees every stream.
// - BASS_StreamCreateFile decodes a whole file (anything libsndfile reads:
//   WAV, FLAC, Ogg Vorbis/Opus, MP3) into 16-bit stereo in memory and answers
//   its handle, or 0 when the file cannot be opened or decoded, is empty,
//   lasts more than 30 minutes or would decode to more than 64 MB plus 48
//   times its own size, or carries an ID3v2 tag or a WAV chunk (other than
//   the sound data) that claims more bytes than the file holds. Only a regular file is read ("-" is a file name, not
//   standard input). Mono is duplicated to both sides; a stream
//   keeps its own rate and is resampled to the output rate when mixed.
// - A tracker module (MOD, XM, S3M, IT and whatever else libopenmpt reads,
//   told by its content, not its name) is a stream as well: rendered whole at
//   load (ModuleMusic.h) at 44 100 Hz to libopenmpt's estimate of its length,
//   within the same 30 minutes and memory budget (less what libopenmpt holds
//   of the file while it renders), it then plays, loops and seeks like any
//   other stream, exactly to the sample.
// - Positions and lengths count bytes of the decoded 16-bit stereo stream at
//   the stream's own rate (4 bytes a frame). The position is what the output
//   has consumed, so whoever reads it follows what is heard. Without an output
//   device a playing stream keeps time on the monotonic clock instead, so a
//   show still plays in time, silently.
// - BASS_ChannelGetLevel answers the peaks of the last block mixed, left in
//   the low word and right in the high word, each 0..32768.
// - An unknown handle (0 included) answers 0 for positions, lengths, levels
//   and conversions, and FALSE for operations. Stop, StreamFree and Free are
//   harmless to repeat.
// - Handle 0, which a failed open leaves, is the exception once played:
//   BASS_StreamPlay(0, ...) starts a stream without sound or length whose
//   position (at 44 100 Hz) follows the monotonic clock, so a show whose music
//   cannot be loaded still keeps time, silently. StreamFree(0) ends it.
// - Calls come from one thread; mixing runs on SDL's audio thread.
// - Windows runs this same code: SDL (sdl12-compat over SDL2), libsndfile
//   with its codecs and libopenmpt are built for it, so the same files play
//   and the same reasons come back; only the output device is Windows'.
// Platform::SetBassVersion lets tests exercise the caller's version check.
// Platform::MusicError and Platform::ModulePosition answer what BASS's error
// code and its music position (order and row) would.
// Platform::UseSilentOutput(true) (a captured show): BASS_Init opens no device
// and answers TRUE, so playing streams keep time on the clock, which may be
// the virtual one (Clock.h); BASS_Start and BASS_Stop then answer TRUE.
// - BASS_ChannelSetAttribute with BASS_ATTRIB_FREQ plays a stream at another
//   sample rate (0 gives back its own): with a device the output consumes it
//   that much faster or slower, its pitch following like a tape's.
// Platform::UseClockPosition(true) (an editing player that seeks, pauses and
// changes speed on its own clock): playing streams keep time on the clock
// even with a device open, and the device plays from its own play head, which
// jumps to the stream's position whenever the two are more than a tenth of a
// second apart (after a seek, a pause, a jump of the clock).
#ifndef HALVENOR_PLATFORM_BASS_H
#define HALVENOR_PLATFORM_BASS_H

#include <cstdint>

typedef int BOOL;
typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef DWORD HSTREAM;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr DWORD BASS_SAMPLE_LOOP = 4;      // restart at the end
constexpr DWORD BASS_MP3_SETPOS = 0x20000;  // pre-scan for exact seeking (always exact here)
constexpr DWORD BASS_ATTRIB_FREQ = 1;        // sample rate the stream plays at

DWORD BASS_GetVersion();
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win);
BOOL BASS_Start();
BOOL BASS_Stop();
void BASS_Free();

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
void BASS_StreamFree(HSTREAM handle);
QWORD BASS_StreamGetLength(HSTREAM handle);

BOOL BASS_ChannelPause(DWORD handle);
BOOL BASS_ChannelResume(DWORD handle);
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position);
QWORD BASS_ChannelGetPosition(DWORD handle);
DWORD BASS_ChannelGetLevel(DWORD handle);
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD position);
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float seconds);
BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value);

namespace Platform {

void SetBassVersion(DWORD version);
void UseSilentOutput(bool silent);
void UseClockPosition(bool onClock);
// Why the last BASS_StreamCreateFile answered 0, in the player's language
// (for its log); empty after a success.
const char* MusicError();
// The order and row of a module stream at its current position; false for
// any other stream and for an unknown handle.
bool ModulePosition(HSTREAM handle, int* order, int* row);
// The decoded music itself, for pictures made from it: count frames ending
// just before frame end (a position in frames of the stream's own rate),
// each the mean of both sides scaled to -1..1; frames before the start or
// past the end read as silence. Answers the stream's rate, or 0 (with
// nothing written) for an unknown handle or a stream without sound.
uint32_t StreamFrames(HSTREAM handle, int64_t end, int count, float* mono);

}  // namespace Platform

#endif

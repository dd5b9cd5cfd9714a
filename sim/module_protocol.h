#pragma once
// The module's wire protocol, shared by the simulated module and the device library. Frames as
// the laser's (0xAA, four letters, length in words, words, checksum); every reply starts with a
// status word (0 done, 0001 unknown command, 0002 parameter out of range, 0003 no data ready,
// 0009 checksum error). 32-bit values take two words, high word first; floats travel as their
// IEEE-754 bit pattern.

#include <cstdint>

namespace vxmproto {

// Requests (data words in brackets) and what follows the status word in the reply:
inline constexpr char kIdentity[] = "SNFV";  // [0]                           -> identity record
inline constexpr char kInfo[] = "INFO";      // []                            -> 76 words: 151-byte record + pad
inline constexpr char kPower[] = "RDPW";     // [channel]                     -> power dBm (float, 2 words)
inline constexpr char kScan[] = "SCAN";      // [start nm(2) stop nm(2) speed nm/s(2) averages(2) points(2)
                                             //  channel sweep]               -> nothing
inline constexpr char kAlign[] = "ALGN";     // [start(2) stop(2) speed(2) channel sweep] -> nothing
inline constexpr char kIsDone[] = "DONE";    // []                            -> done (0/1), points (2)
inline constexpr char kData[] = "DATA";      // [offset(2) count channel]     -> count x (pm float(2), dBm float(2))
inline constexpr char kStop[] = "STOP";      // []                            -> nothing

inline constexpr int kInfoBytes = 151;
inline constexpr int kMaxPoints = 20001;
// 1000 points make an 8 kB frame: few round trips for a full scan, no frame near the 16-bit limit.
inline constexpr int kChunkPoints = 1000;
// Align mode samples the span every 4 pm, at most kMaxPoints points.
inline constexpr int kAlignStepPm = 4;

}  // namespace vxmproto

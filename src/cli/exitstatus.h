#pragma once

// What brenlow-cli tells its caller when it ends.
namespace ExitStatus {
inline constexpr int Ok = 0;            // done; every fetch succeeded
inline constexpr int FetchFailed = 1;   // some fetch failed; the counts found are kept and saved
inline constexpr int LinesRejected = 1; // import: some line held no domain; the others were added
inline constexpr int Usage = 2;         // the command line asks for something that cannot be done
inline constexpr int ListUnusable = 3;  // the list cannot be read, saved or locked, or its history read (or
                                        // written, by webgraph update)
inline constexpr int OutputFailed = 4;  // standard output, or the file of an export, could not be written (a full
                                        // disk, say)
inline constexpr int SignalBase = 128;  // ended by a signal: 128 + its number, 130 after Ctrl-C, 141 when the
                                        // reader of standard output has gone
} // namespace ExitStatus

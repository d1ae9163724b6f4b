#pragma once
// A launcher may start the game with standard input, output or error closed;
// the next file or connection opened would then take that descriptor, and
// what the game writes to "standard error" would land in it.

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. First
// thing in main, before anything else opens a file or a connection.
void reopenClosedStandardStreams();

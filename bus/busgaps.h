#pragma once

// The waits the bus master keeps between two writes, in milliseconds. The
// range's converters and targets need these; the range simulator answers at
// once, so a test that does not look at the timing may shorten them.
struct BusGaps
{
    int commandMs = 50;  // before a command of the exercise (each copy of a broadcast)
    int priorityMs = 70; // before a set-up frame and before a lane's pending command
    int pollMs = 200;    // before each poll for a shot and each ping of the target search
};

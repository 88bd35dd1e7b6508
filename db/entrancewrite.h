#pragma once

// What became of an entrance that was to be recorded.
struct EntranceWrite
{
    enum Outcome {
        NotRecorded,
        Recorded,
        // A commit failed and whether the row will stay could not be found out.
        Undecided,
    };
    Outcome outcome = NotRecorded;
    // The entrance id when recorded, else 0.
    int id = 0;
};

// "--write-seeds DIR": every fuzz target can write a few valid inputs to start its corpus from.
#pragma once

#include <QString>
#include <cstdlib>
#include <cstring>

// Call from LLVMFuzzerInitialize: writes the seeds and ends the process when asked to.
template <class WriteSeeds>
void HandleWriteSeeds(int argc, char** argv, WriteSeeds write)
{
    if (argc >= 3 && std::strcmp(argv[1], "--write-seeds") == 0) {
        write(QString::fromLocal8Bit(argv[2]));
        std::exit(0);
    }
}

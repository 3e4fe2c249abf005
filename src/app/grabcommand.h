// kestivo --grab: frames of a video written as image files, for scripts.
#pragma once

struct CommandLine;

// Writes the frames of a Grab command line (ReadCommandLine) into its folder, printing each file's
// path on standard output in the order asked and each failure's reason on standard error. Returns
// the exit status: 0 when every frame was written, 1 otherwise. Needs no display and no application
// object, takes no lock and asks nothing of a running program: it may run beside one. Without
// --type it reads "Options.dat" for the image type, and writes nothing but the frames (and the
// index cache, which the program shares).
int RunGrabCommand(const CommandLine& commandLine);

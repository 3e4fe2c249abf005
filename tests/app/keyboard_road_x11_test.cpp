// The whole road of a grab driven by key presses alone, in the real program on a real X server.
#include <gtest/gtest.h>

// What the program was asked on its command line.
#pragma once

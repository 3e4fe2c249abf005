#include "commandline.h"

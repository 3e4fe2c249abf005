#include "applooks.h"

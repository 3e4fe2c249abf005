#include "helpwindow.h"

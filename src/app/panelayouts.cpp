#include "panelayouts.h"

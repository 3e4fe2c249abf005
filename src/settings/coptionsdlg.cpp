#include "coptionsdlg.h"

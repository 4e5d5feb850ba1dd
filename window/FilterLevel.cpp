#include "window/FilterLevel.h"

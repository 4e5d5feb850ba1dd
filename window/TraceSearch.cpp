#include "window/TraceSearch.h"

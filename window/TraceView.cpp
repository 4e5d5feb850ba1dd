#include "window/TraceView.h"

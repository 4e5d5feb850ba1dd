#include "intake/TraceDecoder.h"

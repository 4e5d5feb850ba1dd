#include "store/TraceStore.h"

#include "intake/Utf8.h"

#include "window/DateTimeText.h"

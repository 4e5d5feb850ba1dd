#pragma once
// Reads the user's regional formats from the platform.

#include "window/view/DateTimeText.h"

namespace orsk {

// Resets the thread's locale to the user's default and reads every format the date-time text
// uses. Values the user overrode in "Control Panel\International" are read from there too:
// Windows keeps them in sync with its locale data, and under Wine a running process would
// otherwise keep seeing the values it read at start.
RegionalFormats ReadRegionalFormats();

}  // namespace orsk

#pragma once
// String resources of the program's own texts outside the form description.

#define IDS_SEARCH 1001
#define IDS_NEXT 1002
#define IDS_NOT_FOUND 1003

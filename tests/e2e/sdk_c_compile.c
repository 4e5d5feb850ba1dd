/* The sender kit from C: compiled as C99 with every warning, so the header stays usable from C,
 * and the end-to-end tests send a trace through it (with the C library's own vsnprintf). */
#include "sdk/orsktrace.h"

int orsk_sdk_c_send(unsigned int level, const char* text);

int orsk_sdk_c_send(unsigned int level, const char* text) {
    return (int)orsktrace_printf(level, "%s (from C, %d)", text, 99);
}

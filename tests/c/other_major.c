/* A stand-in for a calvoro library of the next major version: the bindings must refuse it
 * before they call anything else in it. */
#include <calvoro/version.h>

#include <stdint.h>

#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
uint32_t calvoro_VersionNumber(void) {
    return (CALVORO_VERSION_MAJOR + 1) * 1000000;
}

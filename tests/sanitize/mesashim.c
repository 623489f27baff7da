/* Preloaded after the AddressSanitizer runtime into sanitizer runs, to keep
 * Mesa's software driver out of the leak checker's way.
 *
 * The driver leaves a small allocation behind when the window library unloads
 * it; once the driver is unmapped the leak checker can neither see the
 * driver's own pointer to it nor name the module in a suppression. Keeping
 * every library loaded to the end leaves that block reachable, and leak
 * checking stays on for everything else.
 *
 * The shim is also linked against the driver's LLVM (see tests/CMakeLists.txt),
 * so that LLVM loads at start-up rather than with the driver: its thread-local
 * block then sits in the static TLS area, which the leak checker scans
 * correctly, instead of a heap block that it now and then misreads. */
int dlclose(void* handle)
{
    (void)handle;
    return 0;
}

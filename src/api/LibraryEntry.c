/* The shared library's own translation unit: everything it exports comes from the
 * subsystem archives linked in whole. Loading the library runs only the static
 * construction of the handle registry. */
typedef int PixoraLibraryEntryUnused;

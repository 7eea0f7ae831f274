/* A shared library under the signature library's name that lacks its entry
 * points, for the loader's missing-symbol path. */
int korva_sin_firma(void) { return 0; }

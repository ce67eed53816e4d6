// A fault shim preloaded into a program (LD_PRELOAD): its file system refuses hard links as
// FAT and exFAT do (EPERM) and, built with WBL_REFUSE_RENAME, a rename that must not replace
// (EINVAL, as an older kernel or a FUSE file system does).
#include <cerrno>

extern "C" int link(const char*, const char*) {
    errno = EPERM;
    return -1;
}

#ifdef WBL_REFUSE_RENAME
extern "C" int renameat2(int, const char*, int, const char*, unsigned int) {
    errno = EINVAL;
    return -1;
}
#endif

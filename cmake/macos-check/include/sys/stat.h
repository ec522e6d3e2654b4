// The C library here is glibc's, whose struct stat names its times st_mtim and st_ctim; Darwin's
// names them st_mtimespec and st_ctimespec (<sys/stat.h>, _DARWIN_C_SOURCE). The Darwin names
// are mapped to glibc's so that code written for Darwin's is checked as it is. Only the Linux
// compile check of the macOS build reads this file.
#pragma once

#include_next <sys/stat.h>

#define st_atimespec st_atim
#define st_mtimespec st_mtim
#define st_ctimespec st_ctim

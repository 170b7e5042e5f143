#ifndef _STORAGE_PATH_UTILS_H
#define _STORAGE_PATH_UTILS_H

#include <String.h>

namespace BPrivate {

// Joins, makes absolute against the current directory and folds ".", ".."
// and repeated slashes, without touching the file system.
BString normalized_path(const char* path);
BString parent_of(const BString& path);
const char* leaf_of(const BString& path);

} // namespace BPrivate

#endif

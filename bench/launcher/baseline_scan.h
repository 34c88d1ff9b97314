#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* The least a scan of a folder of level packfiles must do: list the folder,
 * and per packfile open, read the header and the directory up to the level
 * file, close; open, read the information offset and the three strings,
 * close. Returns the number of levels found, -1 when the folder is unreadable. */
long BaselineScanFolder(const char* folder);

#ifdef __cplusplus
}
#endif

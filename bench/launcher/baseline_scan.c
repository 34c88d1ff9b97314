#include "baseline_scan.h"

#include <ctype.h>
#include <dirent.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static int32_t le32(const unsigned char* p)
{
    return (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
                     (uint32_t)p[3] << 24);
}

static long find_rfl(const char* path, const char* target, size_t tlen)
{
    unsigned char h[16], e[64];
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return -1;
    long result = -1;
    if (pread(fd, h, 16, 0) == 16 && (uint32_t)le32(h) == 0x51890ACEu && le32(h + 4) == 1) {
        int32_t n = le32(h + 8);
        int64_t off = ((int64_t)n + 32) * 64;
        off = (off + 2047) / 2048 * 2048;
        for (int32_t i = 0; i < n; ++i) {
            if (pread(fd, e, 64, 2048 + (off_t)i * 64) != 64)
                break;
            size_t len = strnlen((const char*)e, 60);
            if (len == tlen && strncasecmp((const char*)e, target, len) == 0) {
                result = (long)off;
                break;
            }
            off += (le32(e + 60) + 2047) / 2048 * 2048;
        }
    }
    close(fd);
    return result;
}

static int read_info(const char* path, long base, char out[3][32768])
{
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return 0;
    unsigned char x[4], l[2];
    int ok = pread(fd, x, 4, base + 16) == 4;
    off_t pos = base + le32(x) + 12;
    for (int s = 0; ok && s < 3; ++s) {
        out[s][0] = 0;
        if (pread(fd, l, 2, pos) != 2)
            break;
        pos += 2;
        int16_t n = (int16_t)(l[0] | l[1] << 8);
        if (n > 0) {
            ssize_t got = pread(fd, out[s], (size_t)n, pos);
            out[s][got > 0 ? got : 0] = 0;
            pos += n;
        }
    }
    close(fd);
    return ok;
}

long BaselineScanFolder(const char* folder)
{
    static char strings[3][32768];
    DIR* dir = opendir(folder);
    if (!dir)
        return -1;
    long levels = 0;
    char path[4096], target[4096];
    struct dirent* d;
    while ((d = readdir(dir)) != NULL) {
        size_t len = strlen(d->d_name);
        if (len < 4 || strcasecmp(d->d_name + len - 4, ".vpp") != 0 || d->d_type != DT_REG)
            continue;
        snprintf(path, sizeof path, "%s/%s", folder, d->d_name);
        memcpy(target, d->d_name, len - 4);
        memcpy(target + len - 4, ".rfl", 5);
        long base = find_rfl(path, target, len);
        if (base >= 0 && read_info(path, base, strings))
            ++levels;
    }
    closedir(dir);
    return levels;
}

/* The floor of a listing: a process that opens the packfile, reads its header
   and directory bytes (argv[2] of them) in one read, and ends. With argv[3],
   it reads them that many bytes at a time into one buffer instead. */
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return 2;
    const size_t bytes = (size_t)strtoull(argv[2], NULL, 10);
    const size_t piece = argc == 4 ? (size_t)strtoull(argv[3], NULL, 10) : bytes;
    char* buffer = malloc(piece);
    const int fd = open(argv[1], O_RDONLY);
    if (!buffer || fd < 0 || piece == 0)
        return 1;
    size_t done = 0;
    while (done < bytes) {
        const size_t want = bytes - done < piece ? bytes - done : piece;
        if (read(fd, buffer, want) != (ssize_t)want)
            return 1;
        done += want;
    }
    close(fd);
    return 0;
}

/* The floor of a listing: a process that opens the packfile, reads its header
   and directory bytes (argv[2] of them) in one read, and ends. */
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const size_t bytes = (size_t)strtoull(argv[2], NULL, 10);
    char* buffer = malloc(bytes);
    const int fd = open(argv[1], O_RDONLY);
    if (!buffer || fd < 0)
        return 1;
    const ssize_t got = read(fd, buffer, bytes);
    close(fd);
    return got == (ssize_t)bytes ? 0 : 1;
}

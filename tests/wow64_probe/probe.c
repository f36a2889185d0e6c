/* Built as a 64-bit program for the end-to-end tests of the 32-bit build:
   a test puts it into System32 only, where a 32-bit program on 64-bit
   Windows does not see it unless it turns redirection off. Writes its own
   pointer width in bits to the file named by its first argument. */
#include <stdio.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    FILE* file = fopen(argv[1], "w");
    if (!file) return 1;
    fprintf(file, "%u", (unsigned)(sizeof(void*) * 8));
    return fclose(file) != 0;
}

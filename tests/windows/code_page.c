/* Prints the ANSI code page that programs get on this Windows (or Wine). */
#include <stdio.h>
#include <windows.h>

int main(void) {
    printf("%u\n", GetACP());
    return 0;
}

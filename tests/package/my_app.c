#include "arx_api.h"
#include <stdio.h>

int main(void) {
    printf("%s\n", API_Version());
    return 0;
}

/* A block that is the body of main(). The headers come first: a block's own #include lines
 * of them then expand to nothing (include guards). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "PixoraExtensions.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"

int main(void) {
    /* @block@ */
    return 0;
}

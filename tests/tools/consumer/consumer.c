/* Links the installed module and calls its calendar: 1960001 for day 0. */
#include <stdio.h>

#include <tkyrdif.h>

int main(void)
{
    printf("%.0f\n", tkfmtzjuldat(0.0));
    return 0;
}

#ifndef LETTEROL_DEFS_H
#define LETTEROL_DEFS_H

#include <SupportDefs.h>

// The "OK" button: show the next mail.
const uint32 kShowNextMail = 'ndII';

#endif

#ifndef _ALERT_ICONS_H
#define _ALERT_ICONS_H

#include <Alert.h>

class BBitmap;

// The 32 x 32 icon an alert of that type shows (B_RGBA32), or NULL for
// B_EMPTY_ALERT. The caller owns it.
BBitmap* alert_icon(alert_type type);

#endif

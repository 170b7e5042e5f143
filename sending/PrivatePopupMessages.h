#ifndef _PRIVATE_POPUP_MESSAGES_H
#define _PRIVATE_POPUP_MESSAGES_H

// The private popup window's SEND button; no data.
enum {
	MSG_PRIVATE_SEND = 'ndII',
};

#endif

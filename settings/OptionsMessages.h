#ifndef _OPTIONS_MESSAGES_H
#define _OPTIONS_MESSAGES_H

// The messages of the options window and the IRC options window; none
// carries data.
enum {
	MSG_PERSO_SOUND = 'erso',
	MSG_WORK_SOUND = 'work',
	MSG_ALL_SOUND = '_all',
	MSG_NOTIFICATIONS = 'ntfy',
	MSG_GROUP_CHANGED = 'roup',
	MSG_NAME_CHANGED = 'name',
	MSG_ANSWER_CHANGED = 'deur',
	MSG_SAVE_CONFIG = 'nfig',
	MSG_ADVANCED = 'ance',
	MSG_IRC_SAVE = 'TTON',
};

#endif

#ifndef _ARRIVAL_SOUND_H
#define _ARRIVAL_SOUND_H

#include <SupportDefs.h>

// The sound played when a message is shown, in the install tree's music
// folder.
#define ARRIVAL_SOUND_FILE "/boot/apps/trovel/music/trucage"

// Runs "MediaPlayer -closeWhenDone on -autoPlay on -mini <sound>", found on
// the search path, and waits until it has finished. B_OK when the player
// ended with status 0.
status_t play_arrival_sound();

#endif
